// libFuzzer target over the table file readers. The input is split at "|PXSPLIT|" into the
// contents of T.DB, T.PX, T.MB and T.VAL (missing parts: no such file); the table is opened
// read-only, every row is read in both directions, positioned and located, and the structural
// check runs. engine::Error is the expected answer to bad files; anything else (a crash, a
// sanitizer report, another exception, a hang) is a finding.
#include "engine/check.h"
#include "engine/cursor.h"
#include "engine/error.h"
#include "engine/table.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace ravelda::engine;

namespace {

const fs::path& workDir() {
    static const fs::path dir = [] {
        const char* base = std::getenv("TMPDIR");
        fs::path root =
            fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::path(base ? base : "/tmp");
        fs::path d = root / ("ravelda-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

void exercise(const fs::path& db) {
    OpenOptions options;
    options.mode = OpenMode::ReadOnly;
    try {
        auto table = Table::open(db, options);
        (void)table->pictures();
        (void)table->checks();
        auto cursor = table->cursor();
        std::int64_t n = 0;
        std::vector<Value> firstRow;
        for (bool on = cursor->first(); on && n < 5000; on = cursor->next(), ++n) {
            auto row = cursor->row();
            if (n == 0) firstRow = row;
        }
        for (bool on = cursor->last(); on && n > 0; on = cursor->prior(), --n)
            (void)cursor->bookmark();
        cursor->setRecordNumber(cursor->recordCount() / 2 + 1);
        (void)cursor->recordNumber();
        (void)cursor->moveBy(-3);
        if (!firstRow.empty() && table->keyFieldCount() > 0) {
            std::vector<int> fields;
            std::vector<Value> values;
            for (int i = 0; i < table->keyFieldCount() && i < static_cast<int>(firstRow.size());
                 ++i) {
                fields.push_back(i);
                values.push_back(firstRow[static_cast<std::size_t>(i)]);
            }
            (void)cursor->locate(fields, values);
            (void)cursor->locate(fields, values, {true, true});
        }
    } catch (const Error&) {
    }
    try {
        (void)checkTable(db);
    } catch (const Error&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* names[] = {"T.DB", "T.PX", "T.MB", "T.VAL"};
    constexpr std::string_view kSplit = "|PXSPLIT|";
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const fs::path& dir = workDir();
    std::size_t part = 0;
    while (part < 4) {
        auto cut = input.find(kSplit);
        std::string_view piece = input.substr(0, cut);
        std::ofstream(dir / names[part], std::ios::binary | std::ios::trunc)
            .write(piece.data(), static_cast<std::streamsize>(piece.size()));
        ++part;
        if (cut == std::string_view::npos) break;
        input.remove_prefix(cut + kSplit.size());
    }
    std::error_code ec;
    for (; part < 4; ++part)
        fs::remove(dir / names[part], ec);
    fs::remove(dir / "T.DB-journal", ec);
    exercise(dir / "T.DB");
    return 0;
}
