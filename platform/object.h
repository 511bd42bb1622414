// TObject and TPersistent: the roots of the class hierarchy. Every class that publishes
// properties or is created by name declares itself with RAVELDA_CLASS in its body and
// RAVELDA_DEFINE_CLASS in its source file (see properties.h).
#pragma once

#include <QMetaType>
#include <QString>
#include <map>
#include <memory>

class TClassInfo;

// Inside the class body: RAVELDA_CLASS(TMyClass, TBase) declares the class information.
#define RAVELDA_CLASS(Class, Base)                                                                 \
public:                                                                                            \
    using inherited = Base;                                                                        \
    static const TClassInfo& StaticClass();                                                        \
    const TClassInfo& ClassInfo() const override {                                                 \
        return Class::StaticClass();                                                               \
    }                                                                                              \
                                                                                                   \
private:

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject();

    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassInfo() const { return StaticClass(); }
    // The class name as registered, e.g. "TBitBtn".
    QString ClassName() const;
    bool InheritsFrom(const TClassInfo& cls) const;
};

class TPersistent : public TObject {
    RAVELDA_CLASS(TPersistent, TObject)
public:
    TPersistent() = default;
    ~TPersistent() override;

    // Copies Source into this object. The default asks Source->AssignTo(this); when neither side
    // knows the other, raises EConvertError "Cannot assign a TX to a TY".
    virtual void Assign(const TPersistent* Source);
    void Assign(const TPersistent& Source) { Assign(&Source); }
    // The owner for name paths ("Form1.BitBtn1.Font"); sub-objects return their holder.
    virtual TPersistent* GetOwner() const { return nullptr; }
    virtual QString GetNamePath() const;

    // Method names bound to event properties by name (the reader, SetMethodProp), so that the
    // writer can store them again. Keys are property names.
    const std::map<QString, QString>& BoundMethodNames() const;
    void SetBoundMethodName(const QString& event, const QString& method);

protected:
    virtual void AssignTo(TPersistent* Dest) const;

private:
    std::unique_ptr<std::map<QString, QString>> boundMethods_;
};

Q_DECLARE_METATYPE(TPersistent*)
