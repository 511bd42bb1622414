// TwwDataSource: registered under its own class name; behaves as TDataSource.
#include "data/wwdatsrc.h"

#include "platform/properties.h"

RAVELDA_DEFINE_CLASS(TwwDataSource) {}

TwwDataSource::TwwDataSource(TComponent* AOwner) : TDataSource(AOwner) {}
