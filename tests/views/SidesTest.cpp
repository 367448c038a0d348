// The per-side code built for a window with three sides: the list of sides and the numbering of
// the commands reach every side once, and every (command, side) pair has its own slot and key.
#include <gtest/gtest.h>

#include <set>

#include "compare/Side.h"
#include "views/ViewHost.h"

using compare::TSide;
using views::TCommandId;
using views::TSideCommand;

namespace {

constexpr int Three = 3;

static_assert(compare::EachSideOnce(compare::SidesUpTo<Three>()));
static_assert(compare::SidesUpTo<Three>().back() == static_cast<TSide>(Three - 1));

// Each command of a three-sided window has the index of its place in the list of all commands,
// and the list holds every per-side command once for each of the three sides.
template <int Sides>
constexpr bool CommandsNumberedDensely() {
  constexpr auto ids = views::CommandIdsFor<Sides>();
  std::array<int, views::SideCommandCount * Sides> perSide{};
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (ids[i].IndexAmong(Sides) != static_cast<int>(i)) return false;
    if (ids[i].IsPerSide()) {
      if (ids[i].Side() >= Sides) return false;
      ++perSide[static_cast<std::size_t>(static_cast<int>(ids[i].PerSide()) * Sides + ids[i].Side())];
    }
  }
  for (int n : perSide)
    if (n != 1) return false;
  return true;
}
static_assert(CommandsNumberedDensely<Three>());
static_assert(CommandsNumberedDensely<compare::SideCount>());
// The shared commands keep their numbers whatever the count of sides.
static_assert(TCommandId(views::TCommand::Font).IndexAmong(Three) == static_cast<int>(views::TCommand::Font));
static_assert(TCommandId(TSideCommand::Open, compare::Side2) != TCommandId(TSideCommand::Open, compare::Side1));

TEST(Sides, EverySideOfThreeHasItsOwnOpenKeyAndNoMenuGroup) {
  std::set<QString> keys;
  for (TSide side : compare::SidesUpTo<Three>()) {
    const TCommandId open(TSideCommand::Open, side);
    EXPECT_EQ(views::DefaultShortcut(open).toString(), QString("Ctrl+%1").arg(side + 1));
    keys.insert(views::DefaultShortcut(open).toString());
    for (int c = 0; c < views::SideCommandCount; ++c)
      EXPECT_FALSE(views::GroupOf(TCommandId(static_cast<TSideCommand>(c), side)).has_value());
  }
  EXPECT_EQ(keys.size(), static_cast<std::size_t>(Three));
}

}  // namespace
