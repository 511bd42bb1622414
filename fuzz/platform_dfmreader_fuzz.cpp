// Any text given to the description reader either reads or raises an Exception; it never crashes
// or leaks. The root publishes a little of everything so that values of every kind get applied.
#include "platform/component.h"
#include "platform/dfmreader.h"
#include "platform/dfmwriter.h"
#include "platform/exceptions.h"
#include "platform/properties.h"
#include "platform/strings.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {
enum TFuzzKind { fkA, fkB, fkC };
using TFuzzKinds = TSet<TFuzzKind>;
const bool kinds = RegisterEnum<TFuzzKind>(QStringLiteral("TFuzzKind"), {"fkA", "fkB", "fkC"});
} // namespace

class TFuzzRoot : public TComponent {
    RAVELDA_CLASS(TFuzzRoot, TComponent)
public:
    explicit TFuzzRoot(TComponent* AOwner)
        : TComponent(AOwner), lines_(std::make_unique<TStringList>()) {}
    int Number = 0;
    QString Text;
    double Ratio = 0;
    TFuzzKind Kind = fkA;
    TFuzzKinds Kinds;
    TComponent* Ref = nullptr;
    QByteArray Data;
    TNotifyEvent OnThing;
    std::unique_ptr<TStringList> lines_;
    void Handler(TObject*) {}
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == opRemove && c == Ref) Ref = nullptr;
    }
};

RAVELDA_DEFINE_CLASS(TFuzzRoot) {
    (void)kinds;
    c.Property(
        "Number", [](TFuzzRoot& r) { return r.Number; }, [](TFuzzRoot& r, int v) { r.Number = v; });
    c.Property(
        "Text", [](TFuzzRoot& r) { return r.Text; },
        [](TFuzzRoot& r, const QString& v) { r.Text = v; });
    c.Property(
        "Ratio", [](TFuzzRoot& r) { return r.Ratio; }, [](TFuzzRoot& r, double v) { r.Ratio = v; });
    c.Property(
        "Kind", [](TFuzzRoot& r) { return r.Kind; }, [](TFuzzRoot& r, TFuzzKind v) { r.Kind = v; });
    c.Property(
        "Kinds", [](TFuzzRoot& r) { return r.Kinds; },
        [](TFuzzRoot& r, TFuzzKinds v) { r.Kinds = v; });
    c.Property(
        "Ref", [](TFuzzRoot& r) { return r.Ref; }, [](TFuzzRoot& r, TComponent* v) { r.Ref = v; });
    c.Property(
        "Data", [](TFuzzRoot& r) { return r.Data; },
        [](TFuzzRoot& r, const QByteArray& v) { r.Data = v; });
    c.Property("Lines", [](TFuzzRoot& r) { return r.lines_.get(); });
    c.Event("OnThing", &TFuzzRoot::OnThing);
    c.Method("Handler", &TFuzzRoot::Handler);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TFuzzRoot root(nullptr);
    try {
        ReadComponentText(&root, text);
        // What was read writes and reads back.
        QString written = WriteComponentText(&root);
        TFuzzRoot copy(nullptr);
        ReadComponentText(&copy, written);
    } catch (const Exception&) {
    }
    return 0;
}
