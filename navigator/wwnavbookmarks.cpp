// The navigator's saved bookmarks: at most one in use per dataset, searched from the last entry.
#include "data/dataset.h"
#include "navigator/wwdbnavigator.h"

TwwNavBookmark::TwwNavBookmark(TDataSet* ADataSet, TBookmark ABookmark)
    : dataSet_(ADataSet), bookmark_(std::move(ABookmark)) {}

TwwNavBookmark::~TwwNavBookmark() {
    if (dataSet_) dataSet_->FreeBookmark(bookmark_);
}

void TwwNavBookmark::SetBookmark(TBookmark Value) {
    if (dataSet_) dataSet_->FreeBookmark(bookmark_);
    bookmark_ = std::move(Value);
}

TBookmark TwwDBNavigator::SaveBookmark(TDataSet* DataSet) {
    if (!DataSet || !DataSource()) return TBookmark();
    for (auto it = bookmarks_.rbegin(); it != bookmarks_.rend(); ++it) {
        TwwNavBookmark& entry = **it;
        if (entry.DataSet() != DataSet) continue;
        entry.SetBookmark(DataSet->GetBookmark());
        buttons_->UpdateAll(ucGeneral);
        if (!entry.Bookmark().IsEmpty() && DataSet->BookmarkValid(entry.Bookmark()))
            return entry.Bookmark();
    }
    TBookmark bookmark = DataSet->GetBookmark();
    DataSet->FreeNotification(this);
    bookmarks_.push_back(std::make_unique<TwwNavBookmark>(DataSet, bookmark));
    buttons_->UpdateAll(ucGeneral);
    return bookmark;
}

TBookmark TwwDBNavigator::FindBookmark(TDataSet* DataSet) const {
    if (!DataSet) return TBookmark();
    for (auto it = bookmarks_.rbegin(); it != bookmarks_.rend(); ++it) {
        const TwwNavBookmark& entry = **it;
        if (entry.DataSet() == DataSet && !entry.Bookmark().IsEmpty() &&
            DataSet->BookmarkValid(entry.Bookmark()))
            return entry.Bookmark();
    }
    return TBookmark();
}

void TwwDBNavigator::DropBookmarks(TDataSet* DataSet) {
    std::erase_if(bookmarks_, [DataSet](const std::unique_ptr<TwwNavBookmark>& entry) {
        return entry->DataSet() == DataSet;
    });
}
