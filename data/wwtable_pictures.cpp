// TwwTable: the pictures the Paradox table stores for its fields, and the field picture look-up
// that validation on post and the grid's cell editor share.
#include "data/fields.h"
#include "data/wwtable.h"
#include "engine/alias.h"
#include "engine/table.h"
#include "platform/properties.h"
#include "platform/strings.h"

namespace engine = ravelda::engine;

namespace {

QString Decode(const engine::Table& Table, const std::string& Bytes) {
    try {
        return QString::fromStdString(Table.codec().toUtf8(Bytes));
    } catch (const std::exception&) {
        return QString::fromLatin1(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
    }
}

struct NamedField {
    QString Name;
    int FieldNo = 0;
};

} // namespace

// Field numbers come from the bound fields when open; when closed, the persistent data fields
// are matched to the table's columns by name as opening would bind them, and a table without
// persistent fields would get one field per column.
void TwwTable::ReadStoredPictures() {
    picturesUnread_ = false; // a failed read is not repeated
    storedPictures_->Clear();
    try {
        std::unique_ptr<engine::Table> opened;
        engine::Table* table = Handle();
        std::vector<NamedField> fields;
        if (table) {
            for (int i = 0; i < FieldCount(); ++i)
                if (Fields(i)->FieldNo() > 0)
                    fields.push_back({Fields(i)->FieldName(), Fields(i)->FieldNo()});
        } else {
            engine::OpenOptions options;
            options.mode = engine::OpenMode::ReadOnly;
            const std::string name = TableName().toStdString();
            opened = DatabaseName().isEmpty()
                         ? engine::openTable(engine::parseTableRef(name), options)
                         : engine::openTable(DatabaseName().toStdString(), name, options);
            table = opened.get();
            std::vector<NamedField> columns;
            const auto& defs = table->fields();
            for (size_t i = 0; i < defs.size(); ++i)
                columns.push_back({Decode(*table, defs[i].name), static_cast<int>(i) + 1});
            bool persistent = false;
            for (int i = 0; i < FieldCount(); ++i) {
                TField* field = Fields(i);
                if (field->FieldKind() != fkData) continue;
                persistent = true;
                for (const NamedField& column : columns)
                    if (column.Name.compare(field->FieldName(), Qt::CaseInsensitive) == 0) {
                        fields.push_back({field->FieldName(), column.FieldNo});
                        break;
                    }
            }
            if (!persistent) fields = std::move(columns);
        }
        for (const engine::FieldPicture& entry : table->pictures())
            for (const NamedField& field : fields)
                if (field.FieldNo == entry.fieldNumber)
                    storedPictures_->Add(field.Name + QLatin1Char('\t') +
                                         Decode(*table, entry.picture));
    } catch (const std::exception&) {
        // A table whose pictures cannot be listed has none.
        storedPictures_->Clear();
    }
}

QString TwwTable::StoredPicture(const QString& FieldName) {
    if (picturesUnread_ && IsParadox() && !(IsDesigning() && !Active())) ReadStoredPictures();
    for (int i = 0; i < storedPictures_->Count(); ++i) {
        const QString line = storedPictures_->Strings(i);
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab >= 0 && QStringView(line).left(tab) == FieldName) return line.mid(tab + 1);
    }
    return QString();
}

TwwFieldPicture wwPictureByField(TComponent* Component, const QString& FieldName,
                                 bool UseStoredPictures) {
    TwwFieldPicture result;
    if (!Component) return result;
    TStrings* masks = GetStringsProp(Component, QStringLiteral("PictureMasks"));
    int found = -1;
    if (masks) {
        for (int i = 0; i < masks->Count(); ++i) {
            const QString line = masks->Strings(i);
            if (wwGetToken(line, QLatin1Char('\t'), 0).compare(FieldName, Qt::CaseInsensitive))
                continue;
            found = i;
            result.Mask = wwGetToken(line, QLatin1Char('\t'), 1);
            result.AutoFill = wwGetToken(line, QLatin1Char('\t'), 2) == QLatin1String("T");
            result.UsePictureMask = wwGetToken(line, QLatin1Char('\t'), 3) == QLatin1String("T");
            break;
        }
    }
    auto* table = dynamic_cast<TwwTable*>(Component);
    if (!table || !UseStoredPictures) return result;
    const QString stored = table->StoredPicture(FieldName);
    if (stored.isEmpty()) return result;
    if (found >= 0 && !result.Mask.isEmpty()) {
        const TField* field = table->FindField(FieldName);
        const auto flag = [](bool b) { return b ? QStringLiteral("T") : QStringLiteral("F"); };
        masks->Put(found, (field ? field->FieldName() : FieldName) + QLatin1Char('\t') + stored +
                              QLatin1Char('\t') + flag(result.AutoFill) + QLatin1Char('\t') +
                              flag(result.UsePictureMask));
    }
    result.Mask = stored;
    return result;
}
