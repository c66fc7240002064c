#include "tovrin/types/var.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tovrin/internal_failure.hpp"

namespace tovrin {
namespace {

VarName seg(std::string name, std::optional<Index> index = std::nullopt) {
  return VarName{std::move(name), index};
}

TEST(ResolveNameUntil, PathTexts) {
  const std::vector<VarName> names{seg("b"), seg("c", 1)};
  const VarName root = seg("a");
  EXPECT_EQ(VarAccess::resolve_name_until(names, nullptr, 0), "<root>");
  EXPECT_EQ(VarAccess::resolve_name_until(names, &root, 2), "a.b.c[1]");
  EXPECT_EQ(VarAccess::resolve_name_until(names, &root, 1), "a.b");
  EXPECT_EQ(VarAccess::resolve_name_until(names, &root, 0), "a");
  EXPECT_EQ(VarAccess::resolve_name_until(names, nullptr, 1), "b");
  const VarName indexed_root = seg("a", 2);
  EXPECT_EQ(VarAccess::resolve_name_until(names, &indexed_root, 0), "a[2]");
  const std::vector<VarName> largest{seg("x", 4294967295u)};
  EXPECT_EQ(VarAccess::resolve_name_until(largest, nullptr, 1), "x[4294967295]");
}

TEST(ResolveNameUntil, CountBeyondTheListIsAnInternalFailure) {
  const std::vector<VarName> names{seg("a")};
  EXPECT_THROW(VarAccess::resolve_name_until(names, nullptr, 2), InternalFailure);
}

// One segment is kept in place, more in an allocation of their own: both forms copy, move and
// compare alike, and a moved-from accessor has no segments.
TEST(VarAccessStorage, CopiesAndMovesKeepTheSegments) {
  const std::vector<std::vector<VarName>> lists = {
      {seg("a")},
      {seg("a long segment name beyond fifteen bytes", 3)},
      {seg("a"), seg("b", 0)},
      {seg("x"), seg("y"), seg("z", 4294967295u)},
  };
  for (const auto& list : lists) {
    const VarAccess original{std::vector<VarName>(list)};
    ASSERT_EQ(original.names().size(), list.size());
    EXPECT_TRUE(std::equal(list.begin(), list.end(), original.names().begin()));

    VarAccess copy = original;
    EXPECT_EQ(copy, original);
    VarAccess moved = std::move(copy);
    EXPECT_EQ(moved, original);
    EXPECT_TRUE(copy.names().empty());  // moved from
    EXPECT_TRUE(VarAccess(copy).names().empty());

    for (const auto& other : lists) {
      VarAccess assigned{std::vector<VarName>(other)};
      assigned = original;
      EXPECT_EQ(assigned, original);
      VarAccess target{std::vector<VarName>(other)};
      target = std::move(assigned);
      EXPECT_EQ(target, original);
      EXPECT_EQ(target == VarAccess{std::vector<VarName>(other)}, &other == &list);
    }
  }
}

TEST(VarAccessEquality, NameBeforeIndex) {
  const VarAccess xy({seg("x"), seg("y")});
  const VarAccess dotted({seg("x.y")});
  EXPECT_EQ(VarAccess::resolve_name_until(xy.names(), nullptr, 2),
            VarAccess::resolve_name_until(dotted.names(), nullptr, 1));
  EXPECT_NE(xy, dotted);
  EXPECT_NE(VarAccess({seg("a", 0)}), VarAccess({seg("a")}));
  EXPECT_NE(VarAccess({seg("a", 0)}), VarAccess({seg("a", 1)}));
  EXPECT_NE(VarAccess({seg("a"), seg("b")}), VarAccess({seg("a")}));
  EXPECT_EQ(VarAccess({seg("a", 0)}), VarAccess({seg("a", 0)}));
}

TEST(VarAccessConstruction, EmptyListIsAnInternalFailure) {
  try {
    VarAccess access({});
    FAIL();
  } catch (const InternalFailure& failure) {
    EXPECT_STREQ(failure.what(), "Variable access must have at least one name");
  }
}

// Chars, not one-character literals, as prefixes: g++ 12 at -O3 reports a false -Wrestrict
// for those.
struct RecordingHasher {
  std::string log;
  void write_word(std::uint32_t w) { log += 'w' + std::to_string(w) + " "; }
  void write_bytes(std::string_view b) { log += 'b' + std::string(b) + " "; }
  void write_byte(std::uint8_t b) { log += 'y' + std::to_string(b) + " "; }
};

TEST(VarAccessHash, FeedsFieldsInOrder) {
  RecordingHasher hasher;
  VarAccess({seg("a"), seg("b", 7)}).feed_hash(hasher);
  EXPECT_EQ(hasher.log, "w2 ba y255 w0 bb y255 w1 w7 ");
}

}  // namespace
}  // namespace tovrin
