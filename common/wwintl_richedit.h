// The texts groups of the rich-text editor: the editor's own captions and hints, its main and
// pop-up menus, and its paragraph and tab dialogs (each dialog with its help context).
#pragma once

#include "common/wwintl_texts.h"

#include <memory>

#define WWINTL_RICHEDIT_MENU_LABELS(X)                                                             \
    X(FileMenu, "&File")                                                                           \
    X(FileNew, "&New")                                                                             \
    X(FileOpen, "&Open...")                                                                        \
    X(FileSave, "&Save")                                                                           \
    X(FileSaveAs, "Save &As...")                                                                   \
    X(FilePrint, "&Print...")                                                                      \
    X(FilePrintPreview, "Print Pre&view")                                                          \
    X(FilePageSetup, "Page Set&up...")                                                             \
    X(FileExit, "E&xit")                                                                           \
    X(EditMenu, "&Edit")                                                                           \
    X(EditUndo, "&Undo")                                                                           \
    X(EditRedo, "&Redo")                                                                           \
    X(EditCut, "Cu&t")                                                                             \
    X(EditCopy, "&Copy")                                                                           \
    X(EditPaste, "&Paste")                                                                         \
    X(EditClear, "Cle&ar")                                                                         \
    X(EditSelectAll, "Select A&ll")                                                                \
    X(EditFind, "&Find...")                                                                        \
    X(EditFindNext, "Find &Next")                                                                  \
    X(EditReplace, "R&eplace...")                                                                  \
    X(ViewMenu, "&View")                                                                           \
    X(ViewToolbar, "&Toolbar")                                                                     \
    X(ViewFormatBar, "&Format Bar")                                                                \
    X(ViewRuler, "&Ruler")                                                                         \
    X(ViewStatusBar, "&Status Bar")                                                                \
    X(InsertMenu, "&Insert")                                                                       \
    X(InsertDateTime, "&Date and Time...")                                                         \
    X(InsertObject, "&Object...")                                                                  \
    X(FormatMenu, "F&ormat")                                                                       \
    X(FormatFont, "&Font...")                                                                      \
    X(FormatParagraph, "&Paragraph...")                                                            \
    X(FormatTabs, "&Tabs...")                                                                      \
    X(FormatBullets, "&Bullet Style")                                                              \
    X(ToolsSpellCheck, "&Spelling...")

class TwwRichEditMenuLabels : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwRichEditMenuLabels, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_RICHEDIT_MENU_LABELS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwRichEditMenuLabels(TPersistent* Owner = nullptr);
    ~TwwRichEditMenuLabels() override;
    WWINTL_RICHEDIT_MENU_LABELS(WWINTL_TEXT_ACCESSORS)
};

#define WWINTL_RICHEDIT_POPUP_MENU_LABELS(X)                                                       \
    X(Undo, "&Undo")                                                                               \
    X(Redo, "&Redo")                                                                               \
    X(Cut, "Cu&t")                                                                                 \
    X(Copy, "&Copy")                                                                               \
    X(Paste, "&Paste")                                                                             \
    X(Delete, "&Delete")                                                                           \
    X(SelectAll, "Select &All")                                                                    \
    X(Font, "&Font...")                                                                            \
    X(Paragraph, "P&aragraph...")                                                                  \
    X(Tabs, "Ta&bs...")                                                                            \
    X(Bullets, "B&ullets")                                                                         \
    X(Find, "F&ind...")                                                                            \
    X(Replace, "R&eplace...")                                                                      \
    X(SpellCheck, "&Spelling...")                                                                  \
    X(InsertObject, "Insert &Object...")                                                           \
    X(Print, "Pri&nt...")                                                                          \
    X(Save, "Sa&ve")

class TwwRichEditPopupMenuLabels : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwRichEditPopupMenuLabels, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_RICHEDIT_POPUP_MENU_LABELS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwRichEditPopupMenuLabels(TPersistent* Owner = nullptr);
    ~TwwRichEditPopupMenuLabels() override;
    WWINTL_RICHEDIT_POPUP_MENU_LABELS(WWINTL_TEXT_ACCESSORS)
};

#define WWINTL_RICHEDIT_PARAGRAPH_DIALOG_TEXTS(X)                                                  \
    X(Caption, "Paragraph")                                                                        \
    X(IndentationGroup, "Indentation")                                                             \
    X(LeftIndentLabel, "Left:")                                                                    \
    X(RightIndentLabel, "Right:")                                                                  \
    X(FirstLineIndentLabel, "First line:")                                                         \
    X(SpacingGroup, "Spacing")                                                                     \
    X(SpaceBeforeLabel, "Before:")                                                                 \
    X(SpaceAfterLabel, "After:")                                                                   \
    X(LineSpacingLabel, "Line spacing:")                                                           \
    X(LineSpacingSingle, "Single")                                                                 \
    X(LineSpacingOneAndHalf, "1.5 lines")                                                          \
    X(LineSpacingDouble, "Double")                                                                 \
    X(AlignmentLabel, "Alignment:")                                                                \
    X(AlignLeft, "Left")                                                                           \
    X(AlignRight, "Right")                                                                         \
    X(AlignCenter, "Center")                                                                       \
    X(AlignJustify, "Justified")                                                                   \
    X(PreviewGroup, "Preview")                                                                     \
    X(BtnTabs, "&Tabs...")                                                                         \
    X(LeftIndentHint, "Distance of the paragraph from the left margin")                            \
    X(RightIndentHint, "Distance of the paragraph from the right margin")                          \
    X(FirstLineIndentHint, "Extra indent of the first line")                                       \
    X(SpaceBeforeHint, "Space above the paragraph")                                                \
    X(SpaceAfterHint, "Space below the paragraph")                                                 \
    X(AlignmentHint, "How the lines of the paragraph are aligned")

class TwwRichEditParagraphDialogIntl : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwRichEditParagraphDialogIntl, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_RICHEDIT_PARAGRAPH_DIALOG_TEXTS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwRichEditParagraphDialogIntl(TPersistent* Owner = nullptr);
    ~TwwRichEditParagraphDialogIntl() override;
    WWINTL_RICHEDIT_PARAGRAPH_DIALOG_TEXTS(WWINTL_TEXT_ACCESSORS)

    // The help topic of the dialog; 0 for none.
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int Value) { helpContext_ = Value; }

    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;

private:
    int helpContext_ = 0;
};

#define WWINTL_RICHEDIT_TAB_DIALOG_TEXTS(X)                                                        \
    X(Caption, "Tabs")                                                                             \
    X(TabStopPositionLabel, "Tab stop position:")                                                  \
    X(TabStopsToClearLabel, "Tab stops to be cleared:")                                            \
    X(AlignmentGroup, "Alignment")                                                                 \
    X(AlignLeft, "Left")                                                                           \
    X(AlignCenter, "Center")                                                                       \
    X(AlignRight, "Right")                                                                         \
    X(BtnSet, "&Set")                                                                              \
    X(BtnClear, "Cle&ar")                                                                          \
    X(BtnClearAll, "Clear &All")

class TwwRichEditTabDialogIntl : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwRichEditTabDialogIntl, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_RICHEDIT_TAB_DIALOG_TEXTS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwRichEditTabDialogIntl(TPersistent* Owner = nullptr);
    ~TwwRichEditTabDialogIntl() override;
    WWINTL_RICHEDIT_TAB_DIALOG_TEXTS(WWINTL_TEXT_ACCESSORS)

    // The help topic of the dialog; 0 for none.
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int Value) { helpContext_ = Value; }

    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;

private:
    int helpContext_ = 0;
};

#define WWINTL_RICHEDIT_TEXTS(X)                                                                   \
    X(EditorCaption, "Rich Text Editor")                                                           \
    X(StatusLineLabel, "Line")                                                                     \
    X(StatusColumnLabel, "Col")                                                                    \
    X(StatusModifiedLabel, "Modified")                                                             \
    X(StatusInsertLabel, "Insert")                                                                 \
    X(StatusOverwriteLabel, "Overwrite")                                                           \
    X(FontNameHint, "Font name")                                                                   \
    X(FontSizeHint, "Font size")                                                                   \
    X(FontColorHint, "Font color")                                                                 \
    X(HighlightHint, "Highlight color")                                                            \
    X(BoldHint, "Bold")                                                                            \
    X(ItalicHint, "Italic")                                                                        \
    X(UnderlineHint, "Underline")                                                                  \
    X(AlignLeftHint, "Align left")                                                                 \
    X(AlignCenterHint, "Center")                                                                   \
    X(AlignRightHint, "Align right")                                                               \
    X(BulletsHint, "Bullets")                                                                      \
    X(IndentHint, "Increase indent")                                                               \
    X(OutdentHint, "Decrease indent")                                                              \
    X(NewHint, "New document")                                                                     \
    X(OpenHint, "Open a file")                                                                     \
    X(SaveHint, "Save the text")                                                                   \
    X(PrintHint, "Print")                                                                          \
    X(PrintPreviewHint, "Print preview")                                                           \
    X(CutHint, "Cut")                                                                              \
    X(CopyHint, "Copy")                                                                            \
    X(PasteHint, "Paste")                                                                          \
    X(UndoHint, "Undo")                                                                            \
    X(RedoHint, "Redo")                                                                            \
    X(FindHint, "Find text")                                                                       \
    X(ReplaceHint, "Replace text")                                                                 \
    X(SpellCheckHint, "Check spelling")                                                            \
    X(OpenDialogTitle, "Open File")                                                                \
    X(SaveDialogTitle, "Save As")                                                                  \
    X(RichTextFileFilter, "Rich Text Format (*.rtf)")                                              \
    X(PlainTextFileFilter, "Text files (*.txt)")                                                   \
    X(AllFilesFilter, "All files (*.*)")                                                           \
    X(FindDialogTitle, "Find")                                                                     \
    X(ReplaceDialogTitle, "Replace")                                                               \
    X(SearchTextNotFound, "Search text not found.")

class TwwDBRichEditIntl : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwDBRichEditIntl, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_RICHEDIT_TEXTS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwDBRichEditIntl(TPersistent* Owner = nullptr);
    ~TwwDBRichEditIntl() override;
    WWINTL_RICHEDIT_TEXTS(WWINTL_TEXT_ACCESSORS)

    TwwRichEditMenuLabels* MenuLabels() const { return menuLabels_.get(); }
    void SetMenuLabels(const TwwRichEditMenuLabels* Value) { menuLabels_->Assign(Value); }
    TwwRichEditPopupMenuLabels* PopupMenuLabels() const { return popupMenuLabels_.get(); }
    void SetPopupMenuLabels(const TwwRichEditPopupMenuLabels* Value) {
        popupMenuLabels_->Assign(Value);
    }
    TwwRichEditParagraphDialogIntl* ParagraphDialog() const { return paragraphDialog_.get(); }
    void SetParagraphDialog(const TwwRichEditParagraphDialogIntl* Value) {
        paragraphDialog_->Assign(Value);
    }
    TwwRichEditTabDialogIntl* TabDialog() const { return tabDialog_.get(); }
    void SetTabDialog(const TwwRichEditTabDialogIntl* Value) { tabDialog_->Assign(Value); }

    // The editor's texts and every sub-group, help contexts included.
    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;

private:
    std::unique_ptr<TwwRichEditMenuLabels> menuLabels_;
    std::unique_ptr<TwwRichEditPopupMenuLabels> popupMenuLabels_;
    std::unique_ptr<TwwRichEditParagraphDialogIntl> paragraphDialog_;
    std::unique_ptr<TwwRichEditTabDialogIntl> tabDialog_;
};
