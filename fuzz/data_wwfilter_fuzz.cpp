// Fuzzes the wwFilter expression parser and its translation into the engine's filter tree. Input
// layout: one flags byte (bit 0: "," as the decimal separator instead of "."), then the
// expression as UTF-8.
//
// Besides crashes and hangs it checks what must hold for every text that parses: trailing spaces
// change nothing, the expression in parentheses is the same expression, and the translation
// against a fixed set of fields either succeeds with a tree the engine can describe or names
// what is wrong.
// Build the library with coverage too, so that the fuzzer sees inside the parser:
//   -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined
#include "data/wwfilterexpr.h"
#include "data/wwfilterparser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace {

const std::vector<TwwFilterField>& fields() {
    static const std::vector<TwwFilterField> f = {
        {QStringLiteral("Tabella"), ftString, 0}, {QStringLiteral("Registro"), ftSmallint, 1},
        {QStringLiteral("Prezzo"), ftFloat, 2},   {QStringLiteral("Data"), ftDate, 3},
        {QStringLiteral("Attivo"), ftBoolean, 4}, {QStringLiteral("Importo"), ftBCD, 5},
        {QStringLiteral("Ora"), ftTime, 6},       {QStringLiteral("Momento"), ftDateTime, 7},
    };
    return f;
}

std::string latin1(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() > 255) throw std::runtime_error("not in the code page");
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 4096) return 0;
    TwwFilterFormat format;
    format.DecimalSeparator = (data[0] & 1) ? QLatin1Char(',') : QLatin1Char('.');
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                           static_cast<qsizetype>(size - 1));
    const TwwFilterParseResult parsed = wwParseFilter(text, format);
    if (!parsed.Ok) {
        if (parsed.Error.isEmpty()) std::abort();
        return 0;
    }
    const QString tree = wwDescribeFilter(parsed.Tree);
    if (tree.isEmpty()) std::abort();
    const TwwFilterParseResult spaced = wwParseFilter(text + QStringLiteral("  \t"), format);
    if (!spaced.Ok || wwDescribeFilter(spaced.Tree) != tree) std::abort();
    const TwwFilterParseResult grouped =
        wwParseFilter(QLatin1Char('(') + text + QLatin1Char(')'), format);
    if (!grouped.Ok || wwDescribeFilter(grouped.Tree) != tree) std::abort();

    const TwwFilterTranslation t = wwTranslateFilter(parsed.Tree, fields(), format, latin1);
    if (t.Ok) {
        if (ravelda::engine::describe(t.Expr).empty()) std::abort();
    } else if (t.Error.isEmpty()) {
        std::abort();
    }
    return 0;
}
