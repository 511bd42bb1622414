// The record navigator: TwwDBNavigator, a bar of TwwNavButtons bound to a data source. Each
// button's Style fixes its action on the dataset, its glyph pair and its hint. The buttons are the
// navigator's child controls, in child order; TwwNavButtons (the navigator's Buttons) lists,
// adds, places and sizes them. The navigator learns of dataset changes through its data link and
// sets every button's enabled state from them.
#pragma once

#include "data/datalink.h"
#include "data/db.h"
#include "navigator/wwclearpanel.h"
#include "navigator/wwspeedbutton.h"
#include "platform/sets.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TDataSet;
class TDataSource;
class TImageList;
class TTimer;
class TwwCustomDialog;
class TwwDBNavigator;
class TwwNavButton;

// In this order: the data styles (0 to 13, the default set), the dialog styles (14 to 17) and
// the custom one.
enum TwwNavButtonStyle {
    nbsFirst,
    nbsPrior,
    nbsNext,
    nbsLast,
    nbsInsert,
    nbsDelete,
    nbsEdit,
    nbsPost,
    nbsCancel,
    nbsRefresh,
    nbsPriorPage,
    nbsNextPage,
    nbsSaveBookmark,
    nbsRestoreBookmark,
    nbsFilterDialog,
    nbsRecordViewDialog,
    nbsLocateDialog,
    nbsSearchDialog,
    nbsCustom
};
using TwwNavButtonStyles = TSet<TwwNavButtonStyle>;

enum TwwNavAutoSizeStyle { asSizeNavigator, asSizeNavButtons, asNone };
enum TwwNavLayout { nlHorizontal, nlVertical };
enum TwwNavOption { noConfirmDelete, noUseInternationalText };
using TwwNavOptions = TSet<TwwNavOption>;
enum TwwUpdateCause { ucDataChanged, ucEditingChanged, ucActiveChanged, ucGeneral };

using TwwUpdateStateEvent =
    std::function<void(TwwDBNavigator* Navigator, TwwNavButton* Button, TwwUpdateCause Cause)>;
using TwwCustomDialogEvent = std::function<void(TwwCustomDialog* Dialog)>;

// The style's name without "nbs" ("PriorPage"): the stem of its glyph resources, its hint and the
// names of buttons made at design time.
QString NavStyleStem(TwwNavButtonStyle Style);
bool IsRepeatStyle(TwwNavButtonStyle Style);
bool IsDataStyle(TwwNavButtonStyle Style);
bool IsDialogStyle(TwwNavButtonStyle Style);

// Registers the navigator's classes for creation by class name (stored descriptions).
void RegisterNavigatorClasses();

// The auto-repeat timing of the moving buttons, in milliseconds.
class TwwNavRepeatInterval : public TPersistent {
    RAVELDA_CLASS(TwwNavRepeatInterval, TPersistent)
public:
    TwwNavRepeatInterval() = default;
    explicit TwwNavRepeatInterval(TPersistent* AOwner) : owner_(AOwner) {}

    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;
    TPersistent* GetOwner() const override { return owner_; }

    int InitialDelay() const { return initialDelay_; }
    void SetInitialDelay(int Value) { initialDelay_ = Value; }
    int Interval() const { return interval_; }
    void SetInterval(int Value) { interval_ = Value; }

private:
    TPersistent* owner_ = nullptr;
    int initialDelay_ = 500;
    int interval_ = 100;
};

// A saved bookmark: the dataset it belongs to and a bookmark of it, freed through the dataset.
class TwwNavBookmark {
public:
    TwwNavBookmark(TDataSet* ADataSet, TBookmark ABookmark);
    ~TwwNavBookmark();
    TwwNavBookmark(const TwwNavBookmark&) = delete;
    TwwNavBookmark& operator=(const TwwNavBookmark&) = delete;

    TDataSet* DataSet() const { return dataSet_; }
    const TBookmark& Bookmark() const { return bookmark_; }
    // Frees the bookmark held and keeps Value instead.
    void SetBookmark(TBookmark Value);

private:
    TDataSet* dataSet_;
    TBookmark bookmark_;
};

// The navigator's view of its data source: three notifications, each updating every button.
class TwwNavDataLink : public TDataLink {
public:
    explicit TwwNavDataLink(TwwDBNavigator* ANavigator);
    ~TwwNavDataLink() override;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void EditingChanged() override;

private:
    TwwDBNavigator* navigator_;
};

// The buttons of a navigator: its child controls, in child order. Owns nothing.
class TwwNavButtons : public TPersistent {
    RAVELDA_CLASS(TwwNavButtons, TPersistent)
public:
    explicit TwwNavButtons(TwwDBNavigator* ANavigator = nullptr) : navigator_(ANavigator) {}
    ~TwwNavButtons() override;
    TPersistent* GetOwner() const override;

    virtual void InsertButton(TwwNavButton* Button) { (void)Button; }
    virtual void RemoveButton(TwwNavButton* Button) { (void)Button; }
    // While the update count is above 0, Arrange does nothing; EndUpdate does not arrange.
    virtual void BeginUpdate() { ++updateCount_; }
    virtual void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    // The visible button with the greatest Top + Height (Left + Width); the first of equals,
    // none when no far edge lies beyond 0.
    virtual TwwNavButton* BottomMostVisibleButton() const;
    // The button under a point of the navigator (design time), or none.
    virtual TwwNavButton* ButtonAt(TPoint P) const;
    // A hidden button is skipped at run time; at design time it keeps its place.
    virtual bool SkipButton(const TwwNavButton* Button) const;
    virtual TwwNavButton* RightMostVisibleButton() const;
    virtual void ShowStyle(TwwNavButtonStyle Style);
    virtual void HideStyle(TwwNavButtonStyle Style);
    int Count() const;
    // Raise EInvalidOperation "Index of Buttons[] out of range".
    TwwNavButton* Buttons(int Index) const;
    TwwDBNavigator* Navigator() const { return navigator_; }
    // At run time the visible buttons in child order, at design time all buttons; raises
    // "Index of VisibleButtons[] out of range".
    TwwNavButton* VisibleButtons(int Index) const;
    int VisibleCount() const;
    virtual TwwNavButton* AddButton(TwwNavButtonStyle Style, TwwCustomDialog* Dialog = nullptr);
    virtual void AddDialogButtons();
    // Frees every button, last first.
    virtual void RemoveAll();
    // The fourteen data styles, page buttons beside the single steps.
    virtual void CreateDefaultSet();
    // Sizes and places the buttons as the navigator's AutosizeStyle says.
    virtual void Relayout();
    // Places the visible buttons in rows (columns when vertical).
    virtual void Arrange();
    virtual void UpdateAll(TwwUpdateCause Cause);

private:
    TwwDBNavigator* navigator_;
    int updateCount_ = 0;
    int relayingOut_ = 0;
};

class TwwNavButton : public TwwSpeedButton {
    RAVELDA_CLASS(TwwNavButton, TwwSpeedButton)
public:
    explicit TwwNavButton(TComponent* AOwner);
    ~TwwNavButton() override;

    // -1 while the button shows its style's default glyph.
    int GetImageIndex() const override;
    // -1 selects the default glyph; another index first takes the navigator's ImageList.
    void SetImageIndex(int Value) override;

    // Raises "Button parameter of RetrieveIndex not in Buttons list" when not among the
    // navigator's buttons.
    int RetrieveIndex() const;
    int Index() const { return RetrieveIndex(); }
    // Moves the button to that position and relays out (not while loading).
    void SetIndex(int Value);
    // The recorded container, else the Buttons of the parent navigator; without either, reports
    // "Parent propety of TwwNavButton not defined" and aborts silently.
    TwwNavButtons* Container() const;
    TwwDBNavigator* Navigator() const;
    TwwCustomDialog* Dialog() const { return dialog_; }
    void SetDialog(TwwCustomDialog* Value);
    bool LineBreak() const { return lineBreak_; }
    void SetLineBreak(bool Value);
    TwwNavButtonStyle Style() const { return style_; }
    void SetStyle(TwwNavButtonStyle Value);

    // The style's hint from the texts object (page hints formatted with MoveBy), unless the
    // button has its own and the navigator does not use the international texts.
    QString DefaultHint() const;
    void StopRepeat();
    void StartRepeat();
    bool Repeating() const { return repeatTimer_ != nullptr; }
    // Navigator name + style stem ("Button" for the custom style), with 1, 2, ... when taken.
    void NameFromStyle();
    void UseDefaultGlyph();
    // Sets Enabled from the dataset (or lets OnUpdateState decide).
    void UpdateButtonState(TwwUpdateCause Cause);
    // Strictly inside the navigator.
    bool Fits() const;

    void Click() override;
    void Loaded() override;
    void ValidateContainer(TWinControl* AParent) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TNotifyEvent OnRowChanged;
    TwwUpdateStateEvent OnUpdateState;
    TwwCustomDialogEvent OnAfterCreateDialog;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseEnter() override;
    void CMMouseLeave() override;
    void CMEnabledChanged() override;
    virtual void RepeatTick();
    // For a transparent navigator: the button's area in every window beneath is repainted.
    virtual void RepaintThrough();

private:
    friend class TwwNavButtons;
    void RunAction();
    void RunDialog();
    TwwCustomDialog* FindOrCreateDialog();
    bool OwnsDialog() const;

    TwwNavButtons* container_ = nullptr;
    void ClearHeldState();
    TTimer* repeatTimer_ = nullptr;
    // A timer stopped from inside its own tick is freed once the tick is over.
    TTimer* retiredTimer_ = nullptr;
    bool inTick_ = false;
    bool lineBreak_ = false;
    TwwCustomDialog* dialog_ = nullptr;
    TwwNavButtonStyle style_ = nbsFirst;
};

class TwwDBNavigator : public TwwCustomTransparentPanel {
    RAVELDA_CLASS(TwwDBNavigator, TwwCustomTransparentPanel)
public:
    explicit TwwDBNavigator(TComponent* AOwner);
    ~TwwDBNavigator() override;

    TwwNavAutoSizeStyle AutosizeStyle() const { return autosizeStyle_; }
    virtual void SetAutosizeStyle(TwwNavAutoSizeStyle Value);
    TwwNavButtons* Buttons() const { return buttons_.get(); }
    TDataSource* DataSource() const;
    virtual void SetDataSource(TDataSource* Value);
    bool DisableThemes() const { return disableThemes_; }
    void SetDisableThemes(bool Value) { disableThemes_ = Value; }
    bool Flat() const { return flat_; }
    virtual void SetFlat(bool Value);
    TImageList* ImageList() const { return imageList_; }
    virtual void SetImageList(TImageList* Value);
    TwwNavLayout Layout() const { return layout_; }
    virtual void SetLayout(TwwNavLayout Value);
    int MoveBy() const { return moveBy_; }
    virtual void SetMoveBy(int Value);
    TwwNavOptions Options() const { return options_; }
    virtual void SetOptions(TwwNavOptions Value) { options_ = Value; }
    bool ShowHint() const { return TwwCustomTransparentPanel::ShowHint(); }
    virtual void SetShowHint(bool Value);
    TwwNavRepeatInterval* RepeatInterval() const { return repeatInterval_.get(); }
    void SetRepeatInterval(const TwwNavRepeatInterval* Value) { repeatInterval_->Assign(Value); }
    bool TransparentClearsBackground() const { return transparentClearsBackground_; }
    void SetTransparentClearsBackground(bool Value) { transparentClearsBackground_ = Value; }

    // The data styles carried by any button, visible or not.
    virtual TwwNavButtonStyles VisibleStyles() const;
    // Shows (adding when missing) the styles in the set and hides the others.
    virtual void SetVisibleStyles(TwwNavButtonStyles Value);

    TwwNavDataLink* DataLink() const { return dataLink_.get(); }
    // The number of bevels that are not bvNone.
    virtual int BorderInset() const;
    // The widths of the buttons that are not skipped.
    virtual int TotalButtonWidth() const;
    // Strict: "Error, DataSource not assigned" without a data source, the dataset layer's
    // missing-dataset error without a dataset; otherwise none in both cases.
    virtual TDataSet* GetDataSet(bool Strict) const;
    // Sizes the navigator or its buttons as AutosizeStyle says.
    virtual void AutoSize();
    // Grows the navigator to take a newly added button that does not fit.
    void GrowToFit();
    // Takes the DataSource published by Component; Force clears it when there is none.
    virtual void TakeDataSource(TComponent* Component, bool Force);

    // Saved bookmarks.
    TBookmark SaveBookmark(TDataSet* DataSet);
    TBookmark FindBookmark(TDataSet* DataSet) const;
    void DropBookmarks(TDataSet* DataSet);
    int BookmarkCount() const { return static_cast<int>(bookmarks_.size()); }

    // An Alt-key mnemonic: clicks the first enabled, visible button whose caption has it as its
    // accelerator; true when one was clicked.
    virtual bool DialogChar(QChar Char);
    // Set while the default button set is created at the first paint.
    bool CreatingDefaultSet() const { return creatingDefaultSet_; }

    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetName(const QString& NewName) override;
    void ValidateInsert(TControl* AControl) override;

protected:
    friend class TwwNavDataLink;
    virtual void DataChanged();
    virtual void EditingChanged();
    virtual void ActiveChanged();
    void Paint() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void CMEnabledChanged() override;

private:
    std::unique_ptr<TwwNavButtons> buttons_;
    std::unique_ptr<TwwNavDataLink> dataLink_;
    std::unique_ptr<TwwNavRepeatInterval> repeatInterval_;
    std::vector<std::unique_ptr<TwwNavBookmark>> bookmarks_;
    TwwNavAutoSizeStyle autosizeStyle_ = asSizeNavigator;
    TwwNavLayout layout_ = nlHorizontal;
    TImageList* imageList_ = nullptr;
    int moveBy_ = 10;
    TwwNavOptions options_{noConfirmDelete};
    bool flat_ = true;
    bool disableThemes_ = false;
    bool transparentClearsBackground_ = false;
    bool creatingDefaultSet_ = false;
    bool painted_ = false;
};
