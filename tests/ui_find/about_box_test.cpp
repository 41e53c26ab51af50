// The about box: opened through the control's AboutBox as a client opens it,
// and directly as the test application opens it, with its links.
#include <mutex>

#include "about_box.h"
#include "ui_find_fixture.h"
#include "ui_probe.h"

namespace notarel::test {
namespace {

constexpr int kWaitMs = 20000;
const wchar_t kAboutCaption[] = L"О программе";

std::mutex g_linksLock;
std::vector<std::wstring> g_links;

void RecordLink(const std::wstring& target) {
  std::lock_guard<std::mutex> lock(g_linksLock);
  g_links.push_back(target);
}

size_t LinkCount() {
  std::lock_guard<std::mutex> lock(g_linksLock);
  return g_links.size();
}

// A click on a static text, as the mouse gives it.
void ClickText(HWND text) {
  PostMessageW(text, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageW(text, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

using AboutBox = ControlTest;

TEST_F(AboutBox, ShowsTheDriverTitleAndVersionAndClosesWithOkOrEscape) {
  const std::wstring version = Text(&IWBA003_4::get_FileVersion);
  for (const UINT closing : {UINT{VK_RETURN}, UINT{VK_ESCAPE}}) {
    std::vector<std::wstring> versions;
    std::wstring name;
    HRESULT hr = E_FAIL;
    WithUser([&] { hr = control_->AboutBox(); },
             [&] {
               HWND box = uiprobe::WaitForWindow(kAboutCaption, nullptr, 0, kWaitMs);
               ASSERT_NE(box, nullptr);
               HWND list = uiprobe::FindChild(box, L"ListBox", nullptr);
               ASSERT_NE(list, nullptr);
               versions = uiprobe::ListItems(list);
               name = uiprobe::Text(uiprobe::FindChild(box, L"Static", L"Драйвер купюроприемника"));
               if (closing == VK_RETURN) {
                 EXPECT_TRUE(Screenshot(box, L"about_box.png"));
               }
               HWND ok = uiprobe::FindChild(box, L"Button", L"OK");
               ASSERT_NE(ok, nullptr);
               uiprobe::Key(ok, closing);
               EXPECT_TRUE(uiprobe::WaitUntil([&] { return !IsWindow(box); }, kWaitMs));
             });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(name, L"Драйвер купюроприемника");
    EXPECT_EQ(versions, std::vector<std::wstring>{L"Версия драйвера: " + version});
  }
}

TEST(AboutBoxLinks, LinesTitleOwnerAndBothLinksOpenTheirTargets) {
  const LinkOpener before = SetAboutLinkOpener(&RecordLink);
  HWND owner = CreateWindowExW(0, L"STATIC", L"Владелец", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               300, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  bool ownerDisabled = false;
  HWND boxOwner = nullptr;
  std::vector<std::wstring> versions;
  const std::vector<std::wstring> lines{L"Версия теста: 1.2.3.4", L"Версия драйвера: 2.7.0.39"};
  WithUser([&] { ShowAboutBox(owner, L"Проверка купюроприемника", lines); },
           [&] {
             HWND box = uiprobe::WaitForWindow(kAboutCaption, nullptr, 0, kWaitMs);
             ASSERT_NE(box, nullptr);
             boxOwner = GetWindow(box, GW_OWNER);
             ownerDisabled = !uiprobe::IsEnabled(owner);
             versions = uiprobe::ListItems(uiprobe::FindChild(box, L"ListBox", nullptr));
             EXPECT_NE(uiprobe::FindChild(box, L"Static", L"Проверка купюроприемника"), nullptr);
             HWND web = uiprobe::FindChild(box, L"Static", L"www.notarel.example");
             HWND mail = uiprobe::FindChild(box, L"Static", L"support@notarel.example");
             ASSERT_TRUE(web && mail);
             ClickText(web);
             EXPECT_TRUE(uiprobe::WaitUntil([] { return LinkCount() >= 1; }, kWaitMs));
             ClickText(mail);
             EXPECT_TRUE(uiprobe::WaitUntil([] { return LinkCount() >= 2; }, kWaitMs));
             uiprobe::Close(box);
           });
  EXPECT_EQ(boxOwner, owner);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(uiprobe::IsEnabled(owner));
  EXPECT_EQ(versions, lines);
  EXPECT_EQ(g_links, (std::vector<std::wstring>{L"https://www.notarel.example/",
                                                L"mailto:support@notarel.example"}));
  DestroyWindow(owner);
  SetAboutLinkOpener(before);
}

}  // namespace
}  // namespace notarel::test
