#pragma once
// TwwDataSource: the component set's data source class. It is a TDataSource in every respect;
// forms name their data sources by it.
#include "data/datasource.h"

class TwwDataSource : public TDataSource {
    RAVELDA_CLASS(TwwDataSource, TDataSource)
public:
    explicit TwwDataSource(TComponent* AOwner);
};
