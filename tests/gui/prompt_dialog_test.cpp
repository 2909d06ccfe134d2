// The prompt dialog under Wine: every mode shown through the real ShowPrompt
// over a real owner window and answered from a WH_CBT hook, and the search
// navigator on its own thread posting to a real target window.
#include "ui/dialogs/prompt_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "store/field_type.h"
#include "tests/gui/gui_test_util.h"

using namespace guitest;

namespace {

constexpr const char* kCaption = "Veldrana 1.0";
constexpr int kLines[4] = {IDC_PROMPT_LINE1, IDC_PROMPT_LINE2, IDC_PROMPT_LINE3, IDC_PROMPT_LINE4};
constexpr int kButtons[3] = {IDC_PROMPT_THIRD, IDOK, IDCANCEL};

enum class Answer { kOk, kCancel, kThird, kEscape, kEnter };

void Give(HWND dialog, Answer answer) {
  switch (answer) {
    case Answer::kOk: PostCommand(dialog, IDOK); break;
    case Answer::kCancel: PostCommand(dialog, IDCANCEL); break;
    case Answer::kThird: PostCommand(dialog, IDC_PROMPT_THIRD); break;
    case Answer::kEscape: PostKey(dialog, VK_ESCAPE); break;
    case Answer::kEnter:
      PostKey(ItemShown(dialog, IDC_PROMPT_EDIT) ? GetDlgItem(dialog, IDC_PROMPT_EDIT) : dialog,
              VK_RETURN);
      break;
  }
}

// The dialog is centred on the work area of its monitor.
void ExpectCentred(HWND dialog) {
  RECT rect;
  GetWindowRect(dialog, &rect);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
  EXPECT_NEAR((rect.left + rect.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
  EXPECT_NEAR((rect.top + rect.bottom) / 2, (monitor.rcWork.top + monitor.rcWork.bottom) / 2, 1);
}

void ExpectFont(HWND dialog, int id, const char* face, LONG height) {
  LOGFONTA font;
  ASSERT_TRUE(ItemFont(dialog, id, &font)) << "control " << id;
  EXPECT_STREQ(font.lfFaceName, face) << "control " << id;
  if (height) {
    EXPECT_EQ(font.lfHeight, height) << "control " << id;
  }
}

void ExpectRequestReset() {
  EXPECT_EQ(promptMode, 0u);
  EXPECT_EQ(promptCaption, nullptr);
  EXPECT_EQ(promptMessage, nullptr);
  EXPECT_EQ(promptText, nullptr);
  EXPECT_EQ(promptOpen.load(), 0u);
}

// One owner window for a whole suite: Wine without a window manager takes a
// moment to take a top-level window off the screen.
class PromptTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { owner = CreateTestWindow("Prompt owner"); }
  static void TearDownTestSuite() {
    DestroyWindow(owner);
    owner = nullptr;
  }
  void SetUp() override { ASSERT_NE(owner, nullptr); }
  static HWND owner;
};
HWND PromptTest::owner = nullptr;

struct ModeCase {
  const char* name;
  uint32_t mode;
  const char* caption;
  const char* message;
  const char* text;   // second line, or the input buffer's starting text
  const char* typed;  // typed into the edit before answering; null: nothing typed
  Answer answer;
  // What the user sees: each line's text (null: hidden), each button's caption
  // (third, OK, Cancel; null: hidden), the edit, the caption line's font height.
  const char* lines[4];
  const char* buttons[3];
  bool edit;
  LONG captionFontHeight;
  // The answer.
  uintptr_t result;
  const char* bufferAfter;  // input modes
};

const ModeCase kModeCases[] = {
    {"message, OK", kPromptMessage, nullptr, "Not a Veldrana file", nullptr, nullptr, Answer::kOk,
     {nullptr, "Not a Veldrana file", nullptr, nullptr}, {nullptr, "OK", nullptr}, false, 20, 1,
     nullptr},
    {"message, Escape gives Cancel", kPromptMessage, nullptr, "No Match Found", nullptr, nullptr,
     Answer::kEscape, {nullptr, "No Match Found", nullptr, nullptr}, {nullptr, "OK", nullptr},
     false, 20, 2, nullptr},
    {"message, Enter", kPromptMessage, nullptr, "No Match Found", nullptr, nullptr, Answer::kEnter,
     {nullptr, "No Match Found", nullptr, nullptr}, {nullptr, "OK", nullptr}, false, 20, 1,
     nullptr},
    {"confirmation, OK", kPromptConfirm, nullptr, "Confirm?", nullptr, nullptr, Answer::kOk,
     {nullptr, "Confirm?", nullptr, nullptr}, {nullptr, "OK", "Cancel"}, false, 20, 1, nullptr},
    {"confirmation, Cancel", kPromptConfirm, nullptr, "Confirm?", nullptr, nullptr,
     Answer::kCancel, {nullptr, "Confirm?", nullptr, nullptr}, {nullptr, "OK", "Cancel"}, false,
     20, 2, nullptr},
    {"confirmation with caption and second line", kPromptConfirm, "Delete record", nullptr,
     "Are you sure?", nullptr, Answer::kEscape, {"Delete record", nullptr, "Are you sure?", nullptr},
     {nullptr, "OK", "Cancel"}, false, 20, 2, nullptr},
    {"confirmation, small caption", kPromptConfirm + kPromptSmallCaption, "Delete record",
     nullptr, "Are you sure?", nullptr, Answer::kOk,
     {"Delete record", nullptr, "Are you sure?", nullptr}, {nullptr, "OK", "Cancel"}, false, 16, 1,
     nullptr},
    {"input 7, typed and OK", kPromptInput, "Database Name", nullptr, "Addresses", "Friends",
     Answer::kOk, {"Database Name", nullptr, nullptr, nullptr}, {nullptr, "OK", "Cancel"}, true,
     20, 1, "Friends"},
    {"input 7, Cancel still copies the typed text", kPromptInput, "Search for...", nullptr, "",
     "apple", Answer::kCancel, {"Search for...", nullptr, nullptr, nullptr},
     {nullptr, "OK", "Cancel"}, true, 20, 2, "apple"},
    {"input 7, Escape keeps the starting text", kPromptInput, "Goto", nullptr, "3", nullptr,
     Answer::kEscape, {"Goto", nullptr, nullptr, nullptr}, {nullptr, "OK", "Cancel"}, true, 20, 2,
     "3"},
    {"input 4, Enter in the edit", kPromptFieldInput, "Number (0 - 255)", nullptr, "12", "300",
     Answer::kEnter, {"Number (0 - 255)", nullptr, nullptr, nullptr}, {nullptr, "OK", "Cancel"},
     true, 20, 1, "300"},
    {"input 14: mode 4 with the small caption", kPromptFieldInput + kPromptSmallCaption,
     "Text, 64 Chars", nullptr, "old value", "new value", Answer::kOk,
     {"Text, 64 Chars", nullptr, nullptr, nullptr}, {nullptr, "OK", "Cancel"}, true, 16, 1,
     "new value"},
    {"input 17: mode 7 with the small caption", kPromptInput + kPromptSmallCaption, "Goto", nullptr,
     "", "9", Answer::kOk, {"Goto", nullptr, nullptr, nullptr}, {nullptr, "OK", "Cancel"}, true, 16,
     1, "9"},
    {"save question, Save", kPromptSave, nullptr, "This Veldrana has been changed.",
     "Save Current File Now?", nullptr, Answer::kOk,
     {nullptr, "This Veldrana has been changed.", "Save Current File Now?", nullptr},
     {"Discard", "Save", "Cancel"}, false, 20, 1, nullptr},
    {"save question, Cancel", kPromptSave, nullptr, "This Veldrana has been changed.",
     "Save Current File Now?", nullptr, Answer::kCancel,
     {nullptr, "This Veldrana has been changed.", "Save Current File Now?", nullptr},
     {"Discard", "Save", "Cancel"}, false, 20, 2, nullptr},
    {"save question, Discard", kPromptSave, nullptr, "This Veldrana has been changed.",
     "Save Current File Now?", nullptr, Answer::kThird,
     {nullptr, "This Veldrana has been changed.", "Save Current File Now?", nullptr},
     {"Discard", "Save", "Cancel"}, false, 20, 3, nullptr},
    {"save question, Escape", kPromptSave, nullptr, "This Veldrana has been changed.",
     "Save Current File Now?", nullptr, Answer::kEscape,
     {nullptr, "This Veldrana has been changed.", "Save Current File Now?", nullptr},
     {"Discard", "Save", "Cancel"}, false, 20, 2, nullptr},
    {"question, Yes", kPromptQuestion, nullptr, "First line: Name, Town", "Are these the column names?",
     nullptr, Answer::kOk, {nullptr, "First line: Name, Town", "Are these the column names?", nullptr},
     {"No", "Yes", "Cancel"}, false, 20, 1, nullptr},
    {"question, No", kPromptQuestion, nullptr, "First line: Name, Town", "Are these the column names?",
     nullptr, Answer::kThird, {nullptr, "First line: Name, Town", "Are these the column names?", nullptr},
     {"No", "Yes", "Cancel"}, false, 20, 3, nullptr},
    {"question, Escape", kPromptQuestion, nullptr, "First line: Name, Town", "Are these the column names?",
     nullptr, Answer::kEscape, {nullptr, "First line: Name, Town", "Are these the column names?", nullptr},
     {"No", "Yes", "Cancel"}, false, 20, 2, nullptr},
    {"unknown mode 2 acts as a message", 2, nullptr, "Hello", nullptr, nullptr, Answer::kOk,
     {nullptr, "Hello", nullptr, nullptr}, {nullptr, "OK", nullptr}, false, 20, 1, nullptr},
};

TEST_F(PromptTest, EveryModeShowsItsLinesAndButtonsAndGivesItsAnswer) {
  for (const ModeCase& c : kModeCases) {
    SCOPED_TRACE(c.name);
    bool input = c.bufferAfter != nullptr;
    char buffer[kPromptTextSize] = {};
    if (input) strcpy(buffer, c.text);
    HFONT captionFont = nullptr, buttonFont = nullptr;

    DialogAnswerer answerer(kCaption, [&](HWND dialog) {
      EXPECT_EQ(promptOpen.load(), 1u);
      EXPECT_TRUE(IsTopmost(dialog));
      EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
      ExpectCentred(dialog);
      for (int i = 0; i < 4; i++) {
        EXPECT_EQ(ItemShown(dialog, kLines[i]), c.lines[i] != nullptr) << "line " << i + 1;
        if (c.lines[i]) {
          EXPECT_EQ(ItemText(dialog, kLines[i]), c.lines[i]) << "line " << i + 1;
        }
      }
      for (int i = 0; i < 3; i++) {
        EXPECT_EQ(ItemShown(dialog, kButtons[i]), c.buttons[i] != nullptr) << "button " << i;
        if (c.buttons[i]) {
          EXPECT_EQ(ItemText(dialog, kButtons[i]), c.buttons[i]) << "button " << i;
        }
      }
      EXPECT_EQ(ItemShown(dialog, IDC_PROMPT_EDIT), c.edit);
      EXPECT_FALSE(ItemShown(dialog, IDC_PROMPT_BOX));
      if (c.edit) {
        EXPECT_EQ(ItemText(dialog, IDC_PROMPT_EDIT), c.text);
      }
      // The caption line and the buttons in Arial, the other lines in the
      // dialog's own font.
      ExpectFont(dialog, IDC_PROMPT_LINE1, "Arial", c.captionFontHeight);
      for (int id : kButtons) ExpectFont(dialog, id, "Arial", 20);
      ExpectFont(dialog, IDC_PROMPT_LINE2, "MS Sans Serif", 0);
      ExpectFont(dialog, IDC_PROMPT_LINE3, "MS Sans Serif", 0);
      captionFont = (HFONT)SendDlgItemMessageA(dialog, IDC_PROMPT_LINE1, WM_GETFONT, 0, 0);
      buttonFont = (HFONT)SendDlgItemMessageA(dialog, IDOK, WM_GETFONT, 0, 0);
      if (c.typed) SetDlgItemTextA(dialog, IDC_PROMPT_EDIT, c.typed);
      Give(dialog, c.answer);
    });

    promptResult = 99;
    promptMode = c.mode;
    promptCaption = c.caption;
    promptMessage = c.message;
    promptText = input ? buffer : const_cast<char*>(c.text);
    uintptr_t returned = ShowPrompt(owner);

    EXPECT_EQ(answerer.answered(), 1);
    EXPECT_EQ(promptResult, c.result);
    EXPECT_EQ(returned, c.result);
    if (input) {
      EXPECT_STREQ(buffer, c.bufferAfter);
    }
    ExpectRequestReset();
    // The fonts were made for this prompt and are gone with it.
    EXPECT_EQ(GetObjectType(captionFont), 0u);
    EXPECT_EQ(GetObjectType(buttonFont), 0u);
  }
}

// Every text a line or button shows fits into it, in its font: the program's
// messages, every field type name as the small caption of the field editor,
// and the button captions of every mode.
void ExpectShownTextsFit(HWND dialog) {
  for (int id : {IDC_PROMPT_LINE1, IDC_PROMPT_LINE2, IDC_PROMPT_LINE3, IDC_PROMPT_THIRD, IDOK,
                 IDCANCEL}) {
    if (!ItemShown(dialog, id)) continue;
    HWND control = GetDlgItem(dialog, id);
    RECT client;
    GetClientRect(control, &client);
    int room = client.right - (id < IDC_PROMPT_LINE1 ? 4 : 0);  // a button's 3-D edges
    SIZE text = TextExtent(control);
    EXPECT_LE(text.cx, room) << "control " << id << ": " << WindowText(control);
    EXPECT_LE(text.cy, client.bottom + 2) << "control " << id << ": " << WindowText(control);
  }
}

TEST_F(PromptTest, ShownTextsFitTheirLinesAndButtons) {
  struct Shown {
    uint32_t mode;
    const char* caption;
    const char* message;
    const char* text;
  };
  std::vector<Shown> shown = {
      {kPromptMessage, nullptr, "Not a Veldrana file", nullptr},
      {kPromptMessage, nullptr, "No Match Found", nullptr},
      {kPromptConfirm, nullptr, "Confirm?", nullptr},
      {kPromptSave, nullptr, "This Veldrana has been changed.", "Save Current File Now?"},
      {kPromptInput, "Database Name", nullptr, nullptr},
      {kPromptInput, "Search for...", nullptr, nullptr},
      {kPromptInput, "Goto", nullptr, nullptr},
      // Import and Export As, at their longest.
      {kPromptQuestion, nullptr, "First line: Country, Official name, C...", "Are these the column names?"},
      {kPromptMessage, nullptr, "Not imported: line 4294967295, field 4096", "not a whole number 0 - 4294967295"},
      {kPromptMessage, nullptr, "Not imported: line 12, field 3", "a quoted value has no closing quote"},
      {kPromptMessage, nullptr, "Not imported: line 12, field 4097", "the database has only 4096 fields"},
      {kPromptMessage, nullptr, "Not imported: line 12, field 3", "a character Veldrana cannot store"},
      {kPromptMessage, nullptr, "Not imported: line 12, field 3", "a zero byte: not a text file"},
      {kPromptMessage, nullptr, "Not imported: line 12, field 3", "longer than 4999 characters"},
      {kPromptMessage, nullptr, "Not imported: there is no room", "for the records in the database."},
  };
  for (uint32_t code = 0; code < kFieldTypeCount; code++)
    shown.push_back({kPromptFieldInput + kPromptSmallCaption, FieldTypeName(code), nullptr, nullptr});
  for (const Shown& s : shown) {
    SCOPED_TRACE(std::string(s.caption ? s.caption : s.message));
    char buffer[kPromptTextSize] = "";
    DialogAnswerer answerer(kCaption, [&](HWND dialog) {
      ExpectShownTextsFit(dialog);
      PostCommand(dialog, IDCANCEL);
    });
    promptMode = s.mode;
    promptCaption = s.caption;
    promptMessage = s.message;
    promptText = s.text ? const_cast<char*>(s.text) : buffer;
    ShowPrompt(owner);
    EXPECT_EQ(answerer.answered(), 1);
  }
}

TEST_F(PromptTest, LongInputComesBackAsItsFirst599Characters) {
  std::string typed;
  for (int i = 0; i < 700; i++) typed += (char)('a' + i % 26);
  // The buffer is the first 600 bytes of a larger area, to see that nothing
  // is written past it.
  char area[800];
  memset(area, '#', sizeof area);
  area[0] = 0;
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_PROMPT_EDIT, typed.c_str());
    EXPECT_EQ(ItemText(dialog, IDC_PROMPT_EDIT).size(), 700u);  // the edit takes all of it
    PostCommand(dialog, IDOK);
  });
  ShowInput(owner, kPromptInput, "Search for...", area);
  EXPECT_EQ(promptResult, kPromptOk);
  EXPECT_EQ(std::string(area), typed.substr(0, 599));
  for (size_t i = 600; i < sizeof area; i++) ASSERT_EQ(area[i], '#') << i;
}

TEST_F(PromptTest, StartingTextWithoutTerminatorIsTakenUpToTheBufferSize) {
  char area[800];
  memset(area, 'q', sizeof area);
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    EXPECT_EQ(ItemText(dialog, IDC_PROMPT_EDIT), std::string(599, 'q'));
    PostCommand(dialog, IDCANCEL);
  });
  ShowInput(owner, kPromptInput, "Goto", area);
  EXPECT_EQ(answerer.answered(), 1);
  EXPECT_EQ(std::string(area), std::string(599, 'q'));
  EXPECT_EQ(area[600], 'q');
}

TEST_F(PromptTest, HelpersSetTheRequestTheirModeNeeds) {
  struct {
    const char* name;
    std::function<uintptr_t()> show;
    const char* line2;
    const char* line3;
    int buttons;  // how many are shown
  } cases[] = {
      {"ShowMessage", [&] { return ShowMessage(owner, "Not a Veldrana file"); },
       "Not a Veldrana file", nullptr, 1},
      {"ShowConfirmation", [&] { return ShowConfirmation(owner, "Confirm?"); }, "Confirm?",
       nullptr, 2},
      {"ShowSaveQuestion",
       [&] {
         return ShowSaveQuestion(owner, "This Veldrana has been changed.",
                                 "Save Current File Now?");
       },
       "This Veldrana has been changed.", "Save Current File Now?", 3},
      {"ShowQuestion", [&] { return ShowQuestion(owner, "First line: a, b", "Are these the column names?"); },
       "First line: a, b", "Are these the column names?", 3},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogAnswerer answerer(kCaption, [&](HWND dialog) {
      EXPECT_EQ(ItemText(dialog, IDC_PROMPT_LINE2), c.line2);
      EXPECT_EQ(ItemShown(dialog, IDC_PROMPT_LINE3), c.line3 != nullptr);
      if (c.line3) {
        EXPECT_EQ(ItemText(dialog, IDC_PROMPT_LINE3), c.line3);
      }
      int shown = 0;
      for (int id : kButtons) shown += ItemShown(dialog, id);
      EXPECT_EQ(shown, c.buttons);
      PostCommand(dialog, IDOK);
    });
    EXPECT_EQ(c.show(), kPromptOk);
    EXPECT_EQ(answerer.answered(), 1);
    ExpectRequestReset();
  }
}

TEST_F(PromptTest, AltF4EndsThePromptLikeCancel) {
  char buffer[kPromptTextSize] = "start";
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_PROMPT_EDIT, "typed");
    PostMessageA(dialog, WM_CLOSE, 0, 0);
  });
  promptResult = kPromptOk;
  ShowInput(owner, kPromptInput, "Goto", buffer);
  EXPECT_EQ(promptResult, kPromptCancel);
  EXPECT_STREQ(buffer, "typed");
  ExpectRequestReset();
}

TEST_F(PromptTest, PromptThatCannotBeShownCountsAsCancelled) {
  // A previous OK must not be read as this prompt's answer.
  DialogAnswerer answerer(kCaption, [&](HWND dialog) { PostCommand(dialog, IDOK); });
  ShowMessage(owner, "first");
  ASSERT_EQ(promptResult, kPromptOk);
  HWND gone = CreateWindowExA(0, "Static", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  DestroyWindow(gone);
  promptMode = kPromptConfirm;
  promptMessage = "Confirm?";
  ShowPrompt(gone);  // an owner that no longer exists: no dialog
  EXPECT_EQ(answerer.answered(), 1);
  EXPECT_EQ(promptResult, kPromptCancel);
  ExpectRequestReset();
}

char* innerBuffer;

// On WM_APP: an inner prompt over this window, then OK for the outer prompt
// whose window is lParam.
LRESULT CALLBACK OpenInnerPromptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) {
    ShowInput(window, kPromptInput, "Inner", innerBuffer);
    PostCommand((HWND)lParam, IDOK);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(PromptTest, PromptOpenedFromAPromptKeepsBothRequestsApart) {
  // A second prompt while the first is open (the record form and the main
  // window are both usable while one of them owns a prompt).
  char outer[kPromptTextSize] = "outer start";
  char inner[kPromptTextSize] = "inner start";
  uint32_t openInside = 0;
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    if (ItemText(dialog, IDC_PROMPT_LINE1) == "Outer") {
      SetDlgItemTextA(dialog, IDC_PROMPT_EDIT, "outer typed");
      // The inner prompt runs inside this one's loop, from a posted message.
      PostMessageA(owner, WM_APP, 0, (LPARAM)dialog);
    } else {
      openInside = promptOpen.load();
      SetDlgItemTextA(dialog, IDC_PROMPT_EDIT, "inner typed");
      PostCommand(dialog, IDCANCEL);
    }
  });
  innerBuffer = inner;
  SetWindowLongPtrA(owner, GWLP_USERDATA, (LONG_PTR)OpenInnerPromptProc);
  ShowInput(owner, kPromptInput, "Outer", outer);
  SetWindowLongPtrA(owner, GWLP_USERDATA, 0);
  EXPECT_EQ(answerer.answered(), 2);
  EXPECT_EQ(openInside, 2u);
  EXPECT_STREQ(inner, "inner typed");
  EXPECT_STREQ(outer, "outer typed");
  EXPECT_EQ(promptResult, kPromptOk);  // the outer prompt's answer, given last
  ExpectRequestReset();
}

// The navigator's target: records the requests and answers with a status, as
// the record form does.
std::vector<UINT> targetRequests;
const char* nextStatus = "No Match Found";

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kSearchNextMessage || message == kSearchPreviousMessage) {
    EXPECT_EQ(wParam, 0u);
    EXPECT_EQ(lParam, 0);
    targetRequests.push_back(message);
    SetPromptStatus(nullptr);
    if (message == kSearchNextMessage) SetPromptStatus(nextStatus);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class NavigatorTest : public PromptTest {
 protected:
  static void SetUpTestSuite() {
    PromptTest::SetUpTestSuite();
    target = CreateTestWindow("Record form", TargetProc);
  }
  static void TearDownTestSuite() {
    DestroyWindow(target);
    PromptTest::TearDownTestSuite();
  }
  void SetUp() override {
    PromptTest::SetUp();
    ASSERT_NE(target, nullptr);
    targetRequests.clear();
  }
  void TearDown() override {
    if (navigator && IsWindow(navigator)) {
      PostCommand(navigator, IDCANCEL);
      WaitUntil([&] { return promptOpen.load() == 0; });
    }
  }
  HWND Start(const char* message) {
    EXPECT_TRUE(StartSearchNavigator(target, message));
    WaitUntil([&] { return (navigator = FindOtherThreadDialog(kCaption)) != nullptr; });
    return navigator;
  }
  bool WaitForStatus(const char* status, size_t requests) {
    return WaitUntil([&] {
      return targetRequests.size() == requests && ItemShown(navigator, IDC_PROMPT_LINE1) &&
             ItemText(navigator, IDC_PROMPT_LINE1) == status;
    });
  }
  static HWND target;
  HWND navigator = nullptr;
};
HWND NavigatorTest::target = nullptr;

TEST_F(NavigatorTest, RunsOnItsOwnThreadWithoutOwnerAndPostsRequestsToTheTarget) {
  SetPromptStatus("stale status of an earlier search");
  ASSERT_NE(Start("apple"), nullptr);
  EXPECT_EQ(GetWindow(navigator, GW_OWNER), nullptr);
  EXPECT_NE(GetWindowThreadProcessId(navigator, nullptr), GetCurrentThreadId());
  EXPECT_TRUE(IsTopmost(navigator));
  ExpectCentred(navigator);
  EXPECT_EQ(promptOpen.load(), 1u);
  EXPECT_FALSE(ItemShown(navigator, IDC_PROMPT_LINE1));  // no status before a request
  EXPECT_FALSE(ItemShown(navigator, IDC_PROMPT_LINE2));
  EXPECT_EQ(ItemText(navigator, IDC_PROMPT_LINE3), "apple");
  EXPECT_FALSE(ItemShown(navigator, IDC_PROMPT_EDIT));
  EXPECT_EQ(ItemText(navigator, IDC_PROMPT_THIRD), "Previous");
  EXPECT_EQ(ItemText(navigator, IDOK), "Next");
  EXPECT_EQ(ItemText(navigator, IDCANCEL), "Close");
  for (int id : kButtons) EXPECT_TRUE(ItemShown(navigator, id));
  ExpectFont(navigator, IDC_PROMPT_THIRD, "Arial", 20);
  ExpectFont(navigator, IDC_PROMPT_LINE1, "Arial", 20);

  PostCommand(navigator, IDOK);
  EXPECT_TRUE(WaitForStatus("No Match Found", 1));
  EXPECT_EQ(targetRequests.back(), kSearchNextMessage);
  ExpectShownTextsFit(navigator);
  PostCommand(navigator, IDC_PROMPT_THIRD);
  EXPECT_TRUE(WaitForStatus("", 2));
  EXPECT_EQ(targetRequests.back(), kSearchPreviousMessage);
  PostKey(navigator, VK_RETURN);  // Enter is Next
  EXPECT_TRUE(WaitForStatus("No Match Found", 3));
  EXPECT_EQ(targetRequests.back(), kSearchNextMessage);

  PostKey(navigator, VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(navigator) && promptOpen.load() == 0; }));
  PumpMessages(150);
  EXPECT_EQ(targetRequests.size(), 3u);  // closing sends no request
}

TEST_F(NavigatorTest, PromptOnTheInterfaceThreadLeavesTheNavigatorAlone) {
  ASSERT_NE(Start("apple"), nullptr);
  PostCommand(navigator, IDOK);
  ASSERT_TRUE(WaitForStatus("No Match Found", 1));

  // A Goto prompt on this thread while the navigator is open.
  char buffer[kPromptTextSize] = "3";
  uint32_t openDuring = 0;
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    openDuring = promptOpen.load();
    SetDlgItemTextA(dialog, IDC_PROMPT_EDIT, "5");
    PostCommand(dialog, IDOK);
  });
  ShowInput(owner, kPromptInput, "Goto", buffer);
  EXPECT_EQ(answerer.answered(), 1);  // the hook saw only this thread's prompt
  EXPECT_EQ(openDuring, 2u);
  EXPECT_EQ(promptResult, kPromptOk);
  EXPECT_STREQ(buffer, "5");
  EXPECT_EQ(promptMode, 0u);
  EXPECT_EQ(promptCaption, nullptr);

  // The navigator is still open, counted, and shows what it showed.
  EXPECT_EQ(promptOpen.load(), 1u);
  EXPECT_EQ(ItemText(navigator, IDC_PROMPT_LINE1), "No Match Found");
  EXPECT_EQ(ItemText(navigator, IDC_PROMPT_LINE3), "apple");
  // And it still works.
  PostCommand(navigator, IDC_PROMPT_THIRD);
  EXPECT_TRUE(WaitForStatus("", 2));
  nextStatus = "Found again";
  PostCommand(navigator, IDOK);
  EXPECT_TRUE(WaitForStatus("Found again", 3));
  nextStatus = "No Match Found";
}

TEST_F(NavigatorTest, TwoNavigatorsAreCountedApart) {
  ASSERT_NE(Start("first"), nullptr);
  HWND first = navigator;
  ASSERT_TRUE(StartSearchNavigator(target, "second"));
  HWND second = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    second = FindOtherThreadDialog(kCaption);
    if (second == first) {  // find the other one
      second = FindWindowExA(nullptr, first, "#32770", kCaption);
    }
    return second && second != first && IsWindowVisible(second);
  }));
  EXPECT_EQ(promptOpen.load(), 2u);
  EXPECT_EQ(ItemText(second, IDC_PROMPT_LINE3), "second");
  PostCommand(first, IDCANCEL);
  EXPECT_TRUE(WaitUntil([&] { return promptOpen.load() == 1; }));
  EXPECT_EQ(ItemText(second, IDC_PROMPT_LINE3), "second");
  navigator = second;  // closed by TearDown
}

TEST_F(NavigatorTest, NavigatorThroughShowPromptTakesItsTargetFromPromptResult) {
  DialogAnswerer answerer(kCaption, [&](HWND dialog) {
    EXPECT_EQ(ItemText(dialog, IDOK), "Next");
    PostCommand(dialog, IDOK);
    PostCommand(dialog, IDCANCEL);
  });
  promptMode = kPromptNavigator;
  promptResult = (uintptr_t)target;
  ShowPrompt(owner);
  EXPECT_EQ(promptResult, kPromptCancel);
  EXPECT_TRUE(WaitUntil([&] { return targetRequests.size() == 1; }));
  EXPECT_EQ(targetRequests[0], kSearchNextMessage);
  ExpectRequestReset();
}

}  // namespace
