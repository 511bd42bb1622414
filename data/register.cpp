// Registers every class of the dataset layer, so that stored descriptions can create them by name
// even when a program refers to none of them directly (a static library drops object files that
// nothing refers to, and their registrations with them).
#include "data/datasource.h"
#include "data/fields.h"
#include "data/table.h"
#include "data/wwdatsrc.h"
#include "data/wwtable.h"

void RegisterDataClasses() {
    for (const TClassInfo* info : {&TDataSet::StaticClass(),       &TTable::StaticClass(),
                                   &TwwTable::StaticClass(),       &TDataSource::StaticClass(),
                                   &TwwDataSource::StaticClass(),  &TField::StaticClass(),
                                   &TStringField::StaticClass(),   &TNumericField::StaticClass(),
                                   &TIntegerField::StaticClass(),  &TSmallintField::StaticClass(),
                                   &TWordField::StaticClass(),     &TAutoIncField::StaticClass(),
                                   &TFloatField::StaticClass(),    &TCurrencyField::StaticClass(),
                                   &TBCDField::StaticClass(),      &TBooleanField::StaticClass(),
                                   &TDateTimeField::StaticClass(), &TDateField::StaticClass(),
                                   &TTimeField::StaticClass(),     &TBytesField::StaticClass(),
                                   &TBlobField::StaticClass(),     &TMemoField::StaticClass(),
                                   &TGraphicField::StaticClass()})
        (void)info;
}
