#include "platform/object.h"

#include "platform/classes.h"
#include "platform/exceptions.h"
#include "platform/properties.h"

TObject::~TObject() = default;

const TClassInfo& TObject::StaticClass() {
    static TClassInfo* info = [] {
        auto* i = new TClassInfo(QStringLiteral("TObject"), nullptr, nullptr);
        RegisterClassInfo(*i);
        return i;
    }();
    return *info;
}

QString TObject::ClassName() const {
    return ClassInfo().Name();
}

bool TObject::InheritsFrom(const TClassInfo& cls) const {
    return ClassInfo().InheritsFrom(cls);
}

RAVELDA_DEFINE_CLASS(TPersistent) {}

TPersistent::~TPersistent() = default;

void TPersistent::Assign(const TPersistent* Source) {
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    throw EConvertError(QStringLiteral("Cannot assign a nil to a %1").arg(ClassName()));
}

void TPersistent::AssignTo(TPersistent* Dest) const {
    throw EConvertError(
        QStringLiteral("Cannot assign a %1 to a %2").arg(ClassName(), Dest->ClassName()));
}

QString TPersistent::GetNamePath() const {
    return ClassName();
}

const std::map<QString, QString>& TPersistent::BoundMethodNames() const {
    static const std::map<QString, QString> none;
    return boundMethods_ ? *boundMethods_ : none;
}

void TPersistent::SetBoundMethodName(const QString& event, const QString& method) {
    if (method.isEmpty()) {
        if (boundMethods_) boundMethods_->erase(event);
        return;
    }
    if (!boundMethods_) boundMethods_ = std::make_unique<std::map<QString, QString>>();
    (*boundMethods_)[event] = method;
}
