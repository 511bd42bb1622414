// TwwTable: the row filters. The wwFilter expression becomes the engine cursor's expression
// filter; OnFilter runs as its record filter, with the in-filter flag, the hourglass and the
// Escape look of OnFilterOptions.
#include "data/fields.h"
#include "data/wwfilterexpr.h"
#include "data/wwtable.h"
#include "engine/cursor.h"
#include "engine/table.h"
#include "platform/keyqueue.h"
#include "platform/messagebox.h"
#include "platform/screen.h"
#include "platform/strings.h"

#include <QScopeGuard>

namespace engine = ravelda::engine;

QString TwwTable::CombinedFilter() const {
    QStringList lines;
    for (int i = 0; i < wwFilter_->Count(); ++i)
        lines.append(wwFilter_->Strings(i));
    return wwCombinedFilter(lines);
}

bool TwwTable::IsSequenced() const {
    if (onFilter_ || !CombinedFilter().isEmpty()) return false;
    return TTable::IsSequenced();
}

TwwTable::TFilterInstall TwwTable::InstallExpressionFilter() {
    engine::Cursor* cursor = CursorHandle();
    if (!cursor) return TFilterInstall::Failed;
    expressionFilter_ = false;
    const QString text = CombinedFilter();
    try {
        if (text.isEmpty()) {
            cursor->setFilter(std::nullopt);
            return TFilterInstall::Installed;
        }
        const TwwFilterFormat format = TwwFilterFormat::System();
        const TwwFilterParseResult parsed = wwParseFilter(text, format);
        if (!parsed.Ok) {
            cursor->setFilter(std::nullopt);
            return TFilterInstall::Failed;
        }
        std::vector<TwwFilterField> fields;
        for (int i = 0; i < FieldDefs().Count(); ++i) {
            const TFieldDef& def = FieldDefs().Items(i);
            fields.push_back({def.Name, def.DataType, def.FieldNo - 1});
        }
        engine::Table* table = Handle();
        const TwwFilterTranslation translated =
            wwTranslateFilter(parsed.Tree, fields, format, [table](const QString& t) {
                return table->codec().fromUtf8(t.toStdString());
            });
        if (!translated.Ok) {
            cursor->setFilter(std::nullopt);
            if (translated.MissingField.isEmpty()) return TFilterInstall::Failed;
            MessageDlg(wwFieldNotFoundText(translated.MissingField), mtWarning,
                       TMsgDlgButtons{mbOK});
            return TFilterInstall::FieldNotFound;
        }
        cursor->setFilter(translated.Expr);
        expressionFilter_ = true;
        return TFilterInstall::Installed;
    } catch (const std::exception&) {
        try {
            cursor->setFilter(std::nullopt);
        } catch (const std::exception&) {
        }
        return TFilterInstall::Failed;
    }
}

void TwwTable::SetwwFilter(const TStrings* Value) {
    if (Value != wwFilter_.get()) {
        if (Value)
            wwFilter_->Assign(Value);
        else
            wwFilter_->Clear();
    }
    if (!Active() || !CursorHandle()) return;
    // The cursor stands on the current row while the filter changes, so that it stays there
    // when the row passes.
    CheckBrowseMode();
    UpdateCursorPos();
    if (InstallExpressionFilter() != TFilterInstall::Installed)
        MessageDlg(QStringLiteral("Fail to set filter"), mtWarning, TMsgDlgButtons{mbOK});
    Refresh();
}

void TwwTable::InstallRecordFilter() {
    engine::Cursor* cursor = CursorHandle();
    if (!cursor) return;
    try {
        cursor->setRecordFilter(
            [this](const std::vector<engine::Value>& Row) { return FilterRow(Row); });
        recordFilter_ = true;
    } catch (const std::exception&) {
        recordFilter_ = false;
        throw;
    }
}

void TwwTable::RemoveRecordFilter() {
    if (!recordFilter_) return;
    recordFilter_ = false;
    if (engine::Cursor* cursor = CursorHandle()) cursor->setRecordFilter({});
}

void TwwTable::ResyncAtCurrentRow() {
    CursorPosChanged();
    Resync({});
}

void TwwTable::SetOnFilter(TwwTableFilterEvent Value) {
    const bool open = Active() && CursorHandle();
    if (open) {
        CheckBrowseMode();
        UpdateCursorPos();
    }
    onFilter_ = std::move(Value);
    RemoveRecordFilter();
    if (onFilter_ && CursorHandle()) InstallRecordFilter();
    if (!open) return;
    if (!IndexName().isEmpty() || !IndexFieldNames().isEmpty())
        Refresh();
    else
        ResyncAtCurrentRow();
}

void TwwTable::SetOnFilterOptions(TwwOnFilterOptions Value) {
    const bool wasEnabled = onFilterOptions_.Contains(ofoEnabled);
    const bool open = Active() && CursorHandle() && onFilter_;
    if (open && wasEnabled != Value.Contains(ofoEnabled)) {
        // Taking ofoEnabled away lets every row through; giving it back filters again.
        CheckBrowseMode();
        UpdateCursorPos();
        onFilterOptions_ = Value;
        ResyncAtCurrentRow();
        return;
    }
    onFilterOptions_ = Value;
}

bool TwwTable::FilterRow(const std::vector<engine::Value>& Row) {
    if (IsDestroying() || !onFilter_ || inFilter_ || openingCursor_ ||
        !onFilterOptions_.Contains(ofoEnabled))
        return true;
    bool accept = true;
    inFilter_ = true;
    {
        const auto filtered = qScopeGuard([this] {
            SetFilterBuffer(nullptr);
            inFilter_ = false;
        });
        ReadValues(Row, filterRow_);
        filterRow_.Bookmark.Clear();
        filterRow_.Flag = bfCurrent;
        if (HasCalcFields()) CalculateFields(filterRow_);
        SetFilterBuffer(&filterRow_);
        const TwwTableFilterEvent handler = onFilter_; // the handler may replace itself
        handler(this, accept);
    }

    if (onFilterOptions_.Contains(ofoShowHourGlass) && !hourGlass_ && !accept) {
        if (Screen()->Cursor() != crHourGlass) Screen()->SetCursor(crHourGlass);
        hourGlass_ = true;
    }
    if (onFilterOptions_.Contains(ofoCancelOnEscape)) {
        if (++escapeCounter_ >= 32000) escapeCounter_ = 0;
        if (escapeCounter_ % 100 == 0) {
            const std::optional<TPendingKey> key = TakePendingKey();
            if (key && key->KeyDown && key->Key == VK_ESCAPE) {
                // Not through the setter: the cursor is in the middle of a move.
                onFilterOptions_.Exclude(ofoEnabled);
                Fire(OnFilterEscape, this);
            }
        }
    }
    return accept;
}

void TwwTable::RestoreArrowCursor() {
    if (onFilterOptions_.Contains(ofoShowHourGlass) && hourGlass_ &&
        Screen()->Cursor() != crArrow) {
        Screen()->SetCursor(crArrow);
        hourGlass_ = false;
    }
}

int TwwTable::GetNextRecords() {
    const int fetched = TTable::GetNextRecords();
    RestoreArrowCursor();
    return fetched;
}

void TwwTable::DataEvent(TDataEvent Event, intptr_t Info) {
    TTable::DataEvent(Event, Info);
    RestoreArrowCursor();
}
