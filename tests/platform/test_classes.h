// Small published classes for the platform tests: a font-like sub-object, a control-like component
// with a parent, a collection, and a form-like root with published fields and handlers.
// Included by exactly one source file per test executable.
#pragma once

#include "platform/collection.h"
#include "platform/component.h"
#include "platform/events.h"
#include "platform/properties.h"
#include "platform/strings.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <memory>
#include <vector>

enum TTestAlign { taNone, taTop, taBottom, taClient };
enum TTestStyle { tsBold, tsItalic, tsUnderline };
using TTestStyles = TSet<TTestStyle>;

inline const bool testEnumsRegistered =
    RegisterEnum<TTestAlign>(QStringLiteral("TTestAlign"),
                             {"taNone", "taTop", "taBottom", "taClient"}) &&
    RegisterEnum<TTestStyle>(QStringLiteral("TTestStyle"), {"tsBold", "tsItalic", "tsUnderline"});

inline const bool testIdentsRegistered = [] {
    RegisterIntegerIdents(
        QStringLiteral("TTestColor"),
        {{0x000000FF, QStringLiteral("clTestRed")}, {-2147483633LL, QStringLiteral("clTestFace")}});
    return true;
}();

class TTestFont : public TPersistent {
    RAVELDA_CLASS(TTestFont, TPersistent)
public:
    int Height() const { return height_; }
    void SetHeight(int v) { height_ = v; }
    QString Name() const { return name_; }
    void SetName(const QString& v) { name_ = v; }
    TTestStyles Style() const { return style_; }
    void SetStyle(TTestStyles v) { style_ = v; }
    qint32 Color() const { return color_; }
    void SetColor(qint32 v) { color_ = v; }
    void Assign(const TPersistent* Source) override {
        if (auto* f = dynamic_cast<const TTestFont*>(Source)) {
            height_ = f->height_;
            name_ = f->name_;
            style_ = f->style_;
            color_ = f->color_;
            return;
        }
        TPersistent::Assign(Source);
    }

private:
    int height_ = -11;
    QString name_ = QStringLiteral("MS Sans Serif");
    TTestStyles style_;
    qint32 color_ = 0;
};

RAVELDA_DEFINE_CLASS(TTestFont) {
    c.Property("Height", &TTestFont::Height, &TTestFont::SetHeight).Default(-11);
    c.Property("Name", &TTestFont::Name, &TTestFont::SetName).Default("MS Sans Serif");
    c.Property("Style", &TTestFont::Style, &TTestFont::SetStyle).Default(TTestStyles{});
    c.Property("Color", &TTestFont::Color, &TTestFont::SetColor).Default(0).Idents("TTestColor");
}

class TTestColumn : public TCollectionItem {
    RAVELDA_CLASS(TTestColumn, TCollectionItem)
public:
    explicit TTestColumn(TCollection* c) : TCollectionItem(c) {}
    QString FieldName() const { return fieldName_; }
    void SetFieldName(const QString& v) { fieldName_ = v; }
    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v; }
    void Assign(const TPersistent* Source) override {
        if (auto* s = dynamic_cast<const TTestColumn*>(Source)) {
            fieldName_ = s->fieldName_;
            width_ = s->width_;
            return;
        }
        TCollectionItem::Assign(Source);
    }

private:
    QString fieldName_;
    int width_ = 64;
};

RAVELDA_DEFINE_CLASS(TTestColumn) {
    c.Property("FieldName", &TTestColumn::FieldName, &TTestColumn::SetFieldName);
    c.Property("Width", &TTestColumn::Width, &TTestColumn::SetWidth).Default(64);
}

// Records the order of Loaded calls across components.
inline std::vector<QString>& LoadedLog() {
    static std::vector<QString> log;
    return log;
}

class TTestControl : public TComponent {
    RAVELDA_CLASS(TTestControl, TComponent)
public:
    explicit TTestControl(TComponent* AOwner)
        : TComponent(AOwner), font_(std::make_unique<TTestFont>()),
          items_(std::make_unique<TStringList>()),
          columns_(std::make_unique<TCollection>(TTestColumn::StaticClass(), this)) {}
    ~TTestControl() override { SetParent(nullptr); }

    QString Caption() const { return caption_; }
    void SetCaption(const QString& v) { caption_ = v; }
    int Left() const { return left_; }
    void SetLeft(int v) { left_ = v; }
    qint16 Small() const { return small_; }
    void SetSmall(qint16 v) { small_ = v; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    TTestAlign Align() const { return align_; }
    void SetAlign(TTestAlign v) { align_ = v; }
    TTestStyles Options() const { return options_; }
    void SetOptions(TTestStyles v) { options_ = v; }
    TTestFont* Font() const { return font_.get(); }
    void SetFont(const TTestFont* f) { font_->Assign(f); }
    TStrings* Items() const { return items_.get(); }
    void SetItems(const TStrings* s) { items_->Assign(s); }
    TCollection* Columns() const { return columns_.get(); }
    QByteArray Data() const { return data_; }
    void SetData(const QByteArray& d) { data_ = d; }
    int Hidden() const { return hidden_; }
    void SetHidden(int v) { hidden_ = v; }

    TComponent* Buddy() const { return buddy_; }
    void SetBuddy(TComponent* v) {
        if (buddy_) buddy_->RemoveFreeNotification(this);
        buddy_ = v;
        if (buddy_) buddy_->FreeNotification(this);
    }
    TNotifyEvent OnClick;
    std::function<void(TObject*, int&)> OnKey;

    TTestControl* Parent() const { return parent_; }
    void SetParent(TTestControl* p) {
        if (parent_)
            parent_->children_.erase(
                std::remove(parent_->children_.begin(), parent_->children_.end(), this),
                parent_->children_.end());
        parent_ = p;
        if (p) p->children_.push_back(this);
    }
    const std::vector<TTestControl*>& Children() const { return children_; }

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override { return parent_; }
    void SetParentComponent(TComponent* Value) override {
        SetParent(dynamic_cast<TTestControl*>(Value));
    }

    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove) {
            if (AComponent == buddy_) buddy_ = nullptr;
            if (AComponent == parent_) parent_ = nullptr;
            children_.erase(std::remove(children_.begin(), children_.end(), AComponent),
                            children_.end());
        }
    }
    void Loaded() override {
        TComponent::Loaded();
        LoadedLog().push_back(Name());
        // References are resolved before any component hears that loading finished.
        buddyAtLoaded_ = buddy_;
    }
    TComponent* buddyAtLoaded_ = nullptr;

private:
    QString caption_;
    int left_ = 0;
    qint16 small_ = 0;
    bool visible_ = true;
    double ratio_ = 0;
    TTestAlign align_ = taNone;
    TTestStyles options_{tsBold};
    std::unique_ptr<TTestFont> font_;
    std::unique_ptr<TStringList> items_;
    std::unique_ptr<TCollection> columns_;
    QByteArray data_;
    int hidden_ = 0;
    TComponent* buddy_ = nullptr;
    TTestControl* parent_ = nullptr;
    std::vector<TTestControl*> children_;
};

RAVELDA_DEFINE_CLASS(TTestControl) {
    c.Property("Caption", &TTestControl::Caption, &TTestControl::SetCaption);
    c.Property("Left", &TTestControl::Left, &TTestControl::SetLeft).Default(0);
    c.Property("Small", &TTestControl::Small, &TTestControl::SetSmall).Default(0);
    c.Property("Visible", &TTestControl::Visible, &TTestControl::SetVisible).Default(true);
    c.Property("Ratio", &TTestControl::Ratio, &TTestControl::SetRatio);
    c.Property("Align", &TTestControl::Align, &TTestControl::SetAlign).Default(taNone);
    c.Property("Options", &TTestControl::Options, &TTestControl::SetOptions)
        .Default(TTestStyles{tsBold});
    c.Property("Font", &TTestControl::Font, &TTestControl::SetFont);
    c.Property("Items", &TTestControl::Items, &TTestControl::SetItems);
    c.Property("Columns", &TTestControl::Columns);
    c.Property("Data", &TTestControl::Data, &TTestControl::SetData);
    c.Property("Hidden", &TTestControl::Hidden, &TTestControl::SetHidden).Default(0).Stored(false);
    c.Property("Buddy", &TTestControl::Buddy, &TTestControl::SetBuddy);
    c.Event("OnClick", &TTestControl::OnClick);
    c.Event("OnKey", &TTestControl::OnKey);
}

// A subclass inherits every registration and adds its own.
class TTestButton : public TTestControl {
    RAVELDA_CLASS(TTestButton, TTestControl)
public:
    explicit TTestButton(TComponent* AOwner) : TTestControl(AOwner) {}
    int Spacing() const { return spacing_; }
    void SetSpacing(int v) { spacing_ = v; }

private:
    int spacing_ = 4;
};

RAVELDA_DEFINE_CLASS(TTestButton) {
    c.Property("Spacing", &TTestButton::Spacing, &TTestButton::SetSpacing).Default(4);
}

// A non-visual component: no parent.
class TTestSource : public TComponent {
    RAVELDA_CLASS(TTestSource, TComponent)
public:
    explicit TTestSource(TComponent* AOwner) : TComponent(AOwner) {}
    TTestSource* Next() const { return next_; }
    void SetNext(TTestSource* v) { next_ = v; }
    void Loaded() override {
        TComponent::Loaded();
        LoadedLog().push_back(Name());
    }

private:
    TTestSource* next_ = nullptr;
};

RAVELDA_DEFINE_CLASS(TTestSource) {
    c.Property("Next", &TTestSource::Next, &TTestSource::SetNext);
}

// A form-like root with published fields and handlers.
class TTestForm : public TTestControl {
    RAVELDA_CLASS(TTestForm, TTestControl)
public:
    explicit TTestForm(TComponent* AOwner = nullptr) : TTestControl(AOwner) {}
    ~TTestForm() override {
        Destroying();
        DestroyComponents();
    }
    TTestButton* Button1 = nullptr;
    TTestSource* Source1 = nullptr;
    int clicks = 0;
    TObject* lastSender = nullptr;
    void Button1Click(TObject* Sender) {
        ++clicks;
        lastSender = Sender;
    }
    void KeyHandler(TObject*, int& key) { key = 0; }
    bool HasParent() const override { return false; }
};

RAVELDA_DEFINE_CLASS(TTestForm) {
    c.Field("Button1", &TTestForm::Button1);
    c.Field("Source1", &TTestForm::Source1);
    c.Method("Button1Click", &TTestForm::Button1Click);
    c.Method("KeyHandler", &TTestForm::KeyHandler);
}
