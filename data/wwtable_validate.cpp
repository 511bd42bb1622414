// TwwTable: the check of a posted row against its fields' pictures.
#include "common/wwintl.h"
#include "data/db.h"
#include "data/fields.h"
#include "data/wwpict.h"
#include "data/wwtable.h"

namespace {

QString PictureValidateText() {
    if (TwwIntl* intl = wwIntl()) return intl->UserMessages()->PictureValidateError();
    return QStringLiteral("Invalid characters. Field : ");
}

} // namespace

// Runs inside Post after the required-field test: an error leaves the row in edit mode with the
// failing field's control focused.
void TwwTable::DoBeforePost() {
    TTable::DoBeforePost();
    if (!validateWithMask_) return;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* field = Fields(i);
        const TwwFieldPicture picture = wwPictureByField(this, field->FieldName(), true);
        if (picture.Mask.isEmpty()) continue;
        QString value = field->AsString();
        if (value.isEmpty()) continue;
        // The validator rewrites what it matches; the field keeps the value as typed.
        TwwPictureValidator validator(picture.Mask, false);
        if (validator.Picture(value, false) == prComplete) continue;
        if (field->ReadOnly()) continue;
        field->FocusControl();
        if (OnInvalidValue) OnInvalidValue(this, field);
        DatabaseError(PictureValidateText() + field->DisplayName());
    }
}
