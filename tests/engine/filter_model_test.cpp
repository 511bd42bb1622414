// A filtered cursor against a model: random moves, positions, writes and filter changes on a
// keyed table, each checked against a sorted map and the same filters applied in plain code.
#include "enginetest.h"

#include "engine/error.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>

using namespace ravelda::engine;
using namespace ravelda::engine::test;
using ravelda::test::TempDir;
using Op = FilterExpr::Op;

namespace {

struct Model {
    std::map<int, int> rows; // Id -> Val, in key order
    int lo = 0, hi = 100;    // expression: lo <= Val < hi
    int modulus = 0;         // record filter: Id % modulus != 0 (0: none)
    std::optional<int> cur;
    bool bof = true, eof = true;

    bool accepted(int id) const {
        const int v = rows.at(id);
        return v >= lo && v < hi && (modulus == 0 || id % modulus != 0);
    }
    std::vector<int> acc() const {
        std::vector<int> out;
        for (const auto& [id, v] : rows)
            if (accepted(id)) out.push_back(id);
        return out;
    }
    std::optional<int> firstAccFrom(int id) const { // first accepted >= id
        for (auto it = rows.lower_bound(id); it != rows.end(); ++it)
            if (accepted(it->first)) return it->first;
        return std::nullopt;
    }
    std::optional<int> lastAccBelow(int id) const { // last accepted < id
        std::optional<int> found;
        for (auto it = rows.begin(); it != rows.end() && it->first < id; ++it)
            if (accepted(it->first)) found = it->first;
        return found;
    }
    void none() {
        cur.reset();
        bof = eof = true;
    }
    // Stay when accepted, else the next accepted, else the last accepted (eof), else none.
    void settle() {
        if (cur && accepted(*cur)) return;
        const auto next = cur ? firstAccFrom(*cur + 1) : firstAccFrom(INT32_MIN);
        if (next) {
            cur = next;
            bof = eof = false;
            return;
        }
        const auto all = acc();
        if (all.empty()) return none();
        cur = all.back();
        bof = false;
        eof = true;
    }
    bool next() {
        const auto n = cur ? firstAccFrom(*cur + 1) : firstAccFrom(INT32_MIN);
        if (!n) {
            eof = true;
            return false;
        }
        cur = n;
        bof = eof = false;
        return true;
    }
    bool prior() {
        const auto p = cur ? lastAccBelow(*cur) : lastAccBelow(INT32_MAX);
        if (!p) {
            bof = true;
            return false;
        }
        cur = p;
        bof = eof = false;
        return true;
    }
    std::int64_t number() const {
        if (!cur) return 0;
        std::int64_t before = 0;
        for (int id : acc())
            if (id < *cur) ++before;
        return before + 1;
    }
};

std::vector<Value> rowOf(int id, int val) {
    return {Value::integer(id), Value::integer(val)};
}

} // namespace

TEST(FilterModelTest, RandomOperationsAgreeWithTheModel) {
    for (unsigned seed : {1u, 7u, 2024u}) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
        TempDir dir;
        const auto path = dir / "M.DB";
        Table::create(path, {{"Id", FieldType::Long, 0}, {"Val", FieldType::Long, 0}}, 1,
                      makeOptions(0x0C, 1252, 1));
        auto table = Table::open(path);
        Cursor c(*table);
        Model m;
        std::vector<std::vector<Value>> initial;
        while (m.rows.size() < 300) {
            const int id = pick(0, 999);
            if (m.rows.count(id)) continue;
            m.rows[id] = pick(0, 99);
        }
        for (const auto& [id, v] : m.rows)
            initial.push_back(rowOf(id, v));
        table->insertRows(initial);
        c.refresh();
        c.first();
        m.cur = m.rows.begin()->first;
        m.bof = true;
        m.eof = false;
        auto installFilter = [&] {
            c.setFilter(FilterExpr::binary(
                Op::And, FilterExpr::compare(Op::GreaterEqual, 1, Value::integer(m.lo)),
                FilterExpr::compare(Op::Less, 1, Value::integer(m.hi))));
        };
        auto installRecordFilter = [&] {
            const int mod = m.modulus;
            c.setRecordFilter(mod == 0 ? RecordFilter() : [mod](const std::vector<Value>& row) {
                return row[0].asInteger() % mod != 0;
            });
        };
        installFilter();
        m.settle();
        for (int step = 0; step < 400; ++step) {
            const int op = pick(0, 11);
            SCOPED_TRACE("step " + std::to_string(step) + " op " + std::to_string(op));
            switch (op) {
            case 0: {
                const bool got = c.first();
                const auto all = m.acc();
                if (all.empty()) {
                    m.none();
                } else {
                    m.cur = all.front();
                    m.bof = true;
                    m.eof = false;
                }
                EXPECT_EQ(got, !all.empty());
                break;
            }
            case 1: {
                const bool got = c.last();
                const auto all = m.acc();
                if (all.empty()) {
                    m.none();
                } else {
                    m.cur = all.back();
                    m.bof = false;
                    m.eof = true;
                }
                EXPECT_EQ(got, !all.empty());
                break;
            }
            case 2:
                EXPECT_EQ(c.next(), m.next());
                break;
            case 3:
                EXPECT_EQ(c.prior(), m.prior());
                break;
            case 4: {
                const int k = pick(-30, 30);
                std::int64_t moved = 0;
                if (k > 0)
                    while (moved < k && m.next())
                        ++moved;
                else
                    while (moved > k && m.prior())
                        --moved;
                EXPECT_EQ(c.moveBy(k), moved);
                break;
            }
            case 5: {
                const auto all = m.acc();
                const int n = pick(-2, static_cast<int>(all.size()) + 3);
                c.setRecordNumber(n);
                if (all.empty()) {
                    m.none();
                } else {
                    const int at = std::clamp(n, 1, static_cast<int>(all.size()));
                    m.cur = all[static_cast<std::size_t>(at - 1)];
                    m.bof = m.eof = false;
                }
                break;
            }
            case 6: {
                int id = pick(0, 1500);
                while (m.rows.count(id))
                    id = pick(0, 1500);
                const int v = pick(0, 99);
                c.insert(rowOf(id, v));
                m.rows[id] = v;
                m.cur = id;
                m.bof = m.eof = false;
                break;
            }
            case 7: {
                if (!m.cur) break;
                c.remove();
                const int gone = *m.cur;
                m.rows.erase(gone);
                if (m.rows.empty()) {
                    m.none();
                    break;
                }
                m.cur = m.firstAccFrom(gone);
                if (m.cur) {
                    m.bof = m.eof = false;
                } else {
                    const auto all = m.acc();
                    if (all.empty()) {
                        m.none();
                    } else {
                        m.cur = all.back();
                        m.bof = false;
                        m.eof = true;
                    }
                }
                break;
            }
            case 8:
                m.lo = pick(0, 100);
                m.hi = m.lo + pick(0, 60);
                installFilter();
                m.settle();
                break;
            case 9:
                m.modulus = pick(0, 5) == 0 ? 0 : pick(2, 5);
                installRecordFilter();
                m.settle();
                break;
            case 10: {
                if (!m.cur) break;
                const int v = pick(0, 99);
                c.update(rowOf(*m.cur, v));
                m.rows[*m.cur] = v;
                m.bof = m.eof = false;
                break;
            }
            default:
                c.refresh();
                m.settle();
                break;
            }
            ASSERT_EQ(c.hasRow(), m.cur.has_value());
            if (m.cur) {
                ASSERT_EQ(c.value(0).asInteger(), *m.cur);
            }
            EXPECT_EQ(c.bof(), m.bof);
            EXPECT_EQ(c.eof(), m.eof);
            EXPECT_EQ(c.recordNumber(), m.number());
            if (step % 10 == 0) {
                EXPECT_EQ(c.recordCount(), static_cast<std::int64_t>(m.acc().size()));
            }
        }
    }
}
