// Random inserts, updates and deletes checked against a std::map: the rows stay in key order,
// the index stays valid and record numbers agree with the model.
#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <tuple>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;

namespace {

using Key = std::tuple<std::string, std::string, int>;

struct ModelCase {
    unsigned seed;
    int operations;
    int keySpace; // small: many clashes; large: a deep index
    int blockKiB;
};

class ModelTest : public ::testing::TestWithParam<ModelCase> {};

std::vector<Value> rowOf(const Key& k, int chiave) {
    return keysRow(std::get<0>(k), std::get<1>(k), std::get<2>(k), chiave);
}

void expectSame(Table& t, const std::map<Key, int>& model) {
    const auto rows = allRows(t);
    ASSERT_EQ(rows.size(), model.size());
    auto it = model.begin();
    for (const auto& r : rows) {
        const Key k{r[0].asText(), r[1].asText(), static_cast<int>(r[2].asInteger())};
        ASSERT_EQ(k, it->first);
        ASSERT_EQ(r[3].asInteger(), it->second);
        ++it;
    }
}

} // namespace

TEST_P(ModelTest, RandomWritesMatchTheModel) {
    const ModelCase mc = GetParam();
    TempDir dir;
    const auto path = createKeys(dir.path(), makeOptions(0x0C, 1252, mc.blockKiB));
    auto t = Table::open(path);
    Cursor c(*t);
    std::mt19937 rng(mc.seed);
    std::map<Key, int> model;
    auto randomKey = [&] {
        const int n = static_cast<int>(rng() % static_cast<unsigned>(mc.keySpace));
        char name[16];
        std::snprintf(name, sizeof name, "T%04d", n / 4);
        return Key{name, n % 2 ? "2024" : "2025", n % 4 / 2 + 1};
    };
    auto pick = [&]() -> Key {
        auto it = model.begin();
        std::advance(it, static_cast<long>(rng() % model.size()));
        return it->first;
    };
    for (int op = 0; op < mc.operations; ++op) {
        const unsigned what = rng() % 10;
        if (what < 5 || model.empty()) {
            const Key k = randomKey();
            const int chiave = static_cast<int>(rng() % 100000);
            const bool clash = model.count(k) > 0;
            try {
                c.insert(rowOf(k, chiave));
                ASSERT_FALSE(clash) << "duplicate accepted at op " << op;
                model[k] = chiave;
                ASSERT_EQ(c.row()[3].asInteger(), chiave);
            } catch (const Error& e) {
                ASSERT_TRUE(clash) << e.what();
                ASSERT_EQ(e.kind(), Error::Kind::KeyViolation) << e.what();
            }
        } else if (what < 7) {
            const Key k = pick();
            ASSERT_TRUE(
                c.locate({0, 1, 2}, {Value::text(std::get<0>(k)), Value::text(std::get<1>(k)),
                                     Value::integer(std::get<2>(k))}));
            const int chiave = static_cast<int>(rng() % 100000);
            if (rng() % 2) {
                c.update(rowOf(k, chiave));
                model[k] = chiave;
            } else {
                const Key nk = randomKey();
                try {
                    c.update(rowOf(nk, chiave));
                    ASSERT_TRUE(nk == k || model.count(nk) == 0);
                    model.erase(k);
                    model[nk] = chiave;
                } catch (const Error& e) {
                    ASSERT_EQ(e.kind(), Error::Kind::KeyViolation) << e.what();
                    ASSERT_TRUE(model.count(nk) > 0 && nk != k);
                }
            }
        } else {
            const Key k = pick();
            ASSERT_TRUE(
                c.locate({0, 1, 2}, {Value::text(std::get<0>(k)), Value::text(std::get<1>(k)),
                                     Value::integer(std::get<2>(k))}));
            const auto pos = std::distance(model.begin(), model.find(k));
            ASSERT_EQ(c.recordNumber(), pos + 1);
            c.remove();
            model.erase(k);
            if (!model.empty()) {
                const auto expected = static_cast<std::int64_t>(std::min<std::size_t>(
                                          static_cast<std::size_t>(pos), model.size() - 1)) +
                                      1;
                ASSERT_EQ(c.recordNumber(), expected);
            }
        }
        ASSERT_EQ(t->recordCount(), static_cast<std::int64_t>(model.size()));
        if (op % 500 == 499) {
            ASSERT_EQ(problems(path), "") << "after op " << op;
            expectSame(*t, model);
        }
    }
    ASSERT_EQ(problems(path), "");
    expectSame(*t, model);
    // Record numbers through the index counts agree with the model at random places.
    for (int i = 0; i < 50 && !model.empty(); ++i) {
        const auto n = static_cast<std::int64_t>(rng() % model.size()) + 1;
        c.setRecordNumber(n);
        auto it = model.begin();
        std::advance(it, n - 1);
        ASSERT_EQ(c.row()[0].asText(), std::get<0>(it->first));
        ASSERT_EQ(c.recordNumber(), n);
    }
    // A fresh open sees the same.
    auto again = Table::open(path);
    expectSame(*again, model);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ModelTest,
                         ::testing::Values(ModelCase{1, 3000, 200, 1}, ModelCase{2, 3000, 60, 1},
                                           ModelCase{3, 6000, 20000, 1},
                                           ModelCase{4, 4000, 4000, 2}, ModelCase{5, 2000, 8, 1}));
