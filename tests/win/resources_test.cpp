// The resources as the resource compiler wrote them.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "res/resource.h"

// The registered document icon is "<program>,1": the second icon group in
// the order that the resource compiler writes them.
TEST(Icons, TheDocumentIconIsTheSecondGroupAsTheRegisteredIndexNamesIt) {
  std::vector<ULONG_PTR> groups;
  ::EnumResourceNamesA(nullptr, RT_GROUP_ICON, [](HMODULE, LPCSTR, LPSTR name, LONG_PTR found) {
    return reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(reinterpret_cast<ULONG_PTR>(name)), TRUE;
  }, reinterpret_cast<LONG_PTR>(&groups));
  EXPECT_EQ(groups, (std::vector<ULONG_PTR>{IDR_MAINICON, IDI_NOTEFILE}));
}
