// The page framework in this process: the page collection's command
// notifications and close handling, the push-button walk, and the command
// bracket with a failing command (its error shown in a message box).
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "notarel2.h"
#include "page.h"
#include "ui_probe.h"
#include "win_ui.h"

namespace {

// A page with two enabled push buttons around a disabled one, and a check box.
class TTestPage : public TPage {
 public:
  TTestPage() : TPage(L"Test", 200, 100, false) {}
  HWND First = nullptr;
  HWND Disabled = nullptr;
  HWND Last = nullptr;
  HWND Check = nullptr;

 protected:
  void CreateControls(HWND) override {
    First = AddControl(L"BUTTON", L"First", BS_PUSHBUTTON | WS_TABSTOP, 8, 8, 60, 25, 1);
    Disabled = AddControl(L"BUTTON", L"Disabled", BS_PUSHBUTTON | WS_TABSTOP, 8, 40, 60, 25, 2);
    EnableWindow(Disabled, FALSE);
    Last = AddControl(L"BUTTON", L"Last", BS_DEFPUSHBUTTON | WS_TABSTOP, 120, 8, 60, 25, 3,
                      akTop | akRight);
    Check = AddControl(L"BUTTON", L"Check", BS_AUTOCHECKBOX | WS_TABSTOP, 8, 72, 60, 17, 4);
  }
};

class NotaprobeFramework : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = std::make_unique<TNotarel2>();
    pages_ = std::make_unique<TPages>(*control_);
    pages_->SetOnChange([this] { states_.push_back(pages_->State()); });
    host_ = CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"Framework host",
                            WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    pages_->Add(&page_);
    page_.Create(host_);
    ShowWindow(page_.Handle(), SW_SHOW);
  }
  void TearDown() override {
    DestroyWindow(host_);
    pages_.reset();
    control_.reset();
  }

  std::unique_ptr<TNotarel2> control_;
  std::unique_ptr<TPages> pages_;
  std::vector<int> states_;
  TTestPage page_;
  HWND host_ = nullptr;
};

}  // namespace

TEST_F(NotaprobeFramework, CollectionNotifiesEachCommandAndClosesAfterTheLastLoop) {
  EXPECT_EQ(pages_->Count(), 1);
  EXPECT_EQ(pages_->Items(0), &page_);
  EXPECT_EQ(page_.Pages(), pages_.get());
  EXPECT_EQ(&page_.Driver(), control_.get());
  pages_->BeginCommand();
  pages_->EndCommand();
  pages_->EndCommand();
  EXPECT_EQ(states_, (std::vector<int>{0, 1, 1}));

  int done = 0;
  pages_->SetOnLoopsDone([&] { ++done; });
  pages_->LoopEnter();
  pages_->LoopEnter();
  pages_->LoopLeave();
  pages_->LoopLeave();
  EXPECT_EQ(done, 0);  // no close asked
  {
    TPage::TLoopScope outer(page_);
    {
      TPage::TLoopScope inner(page_);
      pages_->RequestClose();
      EXPECT_TRUE(page_.Closing());
    }
    EXPECT_EQ(done, 0);  // a loop is still on the stack
  }
  EXPECT_EQ(done, 1);
}

TEST_F(NotaprobeFramework, ButtonWalkLeavesOtherControlsAndDisabledButtonsAlone) {
  page_.EnableButtons(false);
  EXPECT_EQ(states_, (std::vector<int>{0}));
  EXPECT_FALSE(IsWindowEnabled(page_.First));
  EXPECT_FALSE(IsWindowEnabled(page_.Last));
  EXPECT_FALSE(IsWindowEnabled(page_.Disabled));
  EXPECT_TRUE(IsWindowEnabled(page_.Check));
  page_.EnableButtons(true);
  EXPECT_EQ(states_, (std::vector<int>{0, 1}));
  EXPECT_TRUE(IsWindowEnabled(page_.First));
  EXPECT_TRUE(IsWindowEnabled(page_.Last));
  EXPECT_FALSE(IsWindowEnabled(page_.Disabled));
  EXPECT_TRUE(IsWindowEnabled(page_.Check));
}

TEST_F(NotaprobeFramework, BracketEndsTheCommandTwiceAndAfterAnErrorStillEnablesTheButtons) {
  bool ran = false;
  EXPECT_TRUE(page_.RunBracket([&] {
    ran = true;
    EXPECT_FALSE(IsWindowEnabled(page_.First));
    EXPECT_EQ(states_, (std::vector<int>{0}));
  }));
  EXPECT_TRUE(ran);
  EXPECT_EQ(states_, (std::vector<int>{0, 1, 1}));
  EXPECT_TRUE(IsWindowEnabled(page_.First));

  // A failing call: the bracket still enables the buttons, then the error
  // reaches the message box (dismissed here by a second thread).
  states_.clear();
  std::wstring shown;
  std::atomic<bool> enabledWhenShown{false};
  std::thread user([&] {
    HWND box = uiprobe::WaitForWindow(L"Тест драйвера RUD-003", L"#32770", 0, 20000);
    if (!box) return;
    for (HWND child : uiprobe::Children(box, L"Static")) shown += uiprobe::Text(child);
    enabledWhenShown = IsWindowEnabled(page_.First) != FALSE;
    uiprobe::Click(uiprobe::FindChild(box, L"Button", nullptr));
  });
  bool ok = page_.RunBracket([] { throw TOleError(E_FAIL, L"Сбой вызова"); });
  user.join();
  EXPECT_FALSE(ok);
  EXPECT_NE(shown.find(L"Сбой вызова"), std::wstring::npos);
  EXPECT_TRUE(enabledWhenShown);
  EXPECT_TRUE(IsWindowEnabled(page_.Last));
  EXPECT_FALSE(IsWindowEnabled(page_.Disabled));
  // The failed step skipped its own EndCommand; enabling sent the last one.
  EXPECT_EQ(states_, (std::vector<int>{0, 1}));
}

TEST_F(NotaprobeFramework, AnchoredControlsFollowThePagesSize) {
  RECT before;
  GetWindowRect(page_.Last, &before);
  SetWindowPos(page_.Handle(), nullptr, 0, 0, notarel::ui::Scale(260), notarel::ui::Scale(100),
               SWP_NOZORDER | SWP_NOMOVE);
  RECT after;
  GetWindowRect(page_.Last, &after);
  // Anchored top and right: moved by the growth in width, same size.
  EXPECT_EQ(after.left - before.left, notarel::ui::Scale(260) - notarel::ui::Scale(200));
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  RECT first;
  GetWindowRect(page_.First, &first);
  RECT page;
  GetWindowRect(page_.Handle(), &page);
  EXPECT_EQ(first.left - page.left, notarel::ui::Scale(8));
}

// The main window destroys the pages' windows with its own; a page must not
// keep the handle of a window that is gone (the system may give it to another).
TEST_F(NotaprobeFramework, PageForgetsItsWindowWhenTheHostDestroysIt) {
  HWND pageWindow = page_.Handle();
  ASSERT_TRUE(IsWindow(pageWindow));
  DestroyWindow(host_);
  host_ = nullptr;
  EXPECT_FALSE(IsWindow(pageWindow));
  EXPECT_EQ(page_.Handle(), nullptr);
}
