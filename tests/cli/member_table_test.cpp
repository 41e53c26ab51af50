// The tool's members as the member table gives them: every member that
// forwards to the driver is offered, as a method or as a property that can be
// written only when the interface writes it, and the fields a method prints
// after it are members the tool can read.
#include <gtest/gtest.h>

#include <set>

#include "automation_members.h"
#include "member_table.h"

namespace notarel::cli {
namespace {

using members::TKind;
using members::TSide;

TEST(MemberTable, TheToolOffersEveryDriverMemberAndNoControlOne) {
  std::set<int> places;
  std::size_t driverMembers = 0;
  for (const members::TMember& m : members::kMembers) {
    const Member* offered = FindMember(m.name);
    if (m.side == TSide::Control) {
      EXPECT_EQ(offered, nullptr) << m.name;
      EXPECT_EQ(m.listed, 0) << m.name;
      continue;
    }
    ++driverMembers;
    EXPECT_TRUE(places.insert(m.listed).second) << m.name << " shares its place in the list";
    ASSERT_NE(offered, nullptr) << m.name;
    EXPECT_EQ(offered->IsMethod(), m.kind == TKind::Method) << m.name;
    EXPECT_EQ(static_cast<bool>(offered->get), m.kind != TKind::Method) << m.name;
    EXPECT_EQ(static_cast<bool>(offered->set), m.kind == TKind::Property) << m.name;
  }
  EXPECT_EQ(AllMembers().size(), driverMembers);
  // The list runs 1 to N: the tool's order is the table's `listed` column.
  ASSERT_FALSE(places.empty());
  EXPECT_EQ(*places.begin(), 1);
  EXPECT_EQ(*places.rbegin(), static_cast<int>(driverMembers));
}

TEST(MemberTable, FilledFieldsAreReadableMembers) {
  for (const Member& m : AllMembers()) {
    for (const std::string& field : m.fills) {
      const Member* read = FindMember(field);
      ASSERT_NE(read, nullptr) << m.name << " fills " << field;
      EXPECT_TRUE(read->get) << m.name << " fills " << field;
    }
  }
  EXPECT_EQ(FindMember("ReadStatus")->fills.size(), 7u);
  EXPECT_EQ(FindMember("ReadEnabledDenominations")->fills.back(), "Denomination8");
}

}  // namespace
}  // namespace notarel::cli
