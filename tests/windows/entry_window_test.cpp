// The entry window and choosing a cover: saving what was typed, being told the
// truth about it, the open-file dialog and dropping files onto the picture.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "drag_source.h"
#include "ui_harness.h"
#include "windows/cover_choice.h"
#include "windows/entry_window.h"
#include "windows/lookup_window.h"

namespace vq::testing {
namespace {

using namespace entry;

class EntryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { program_.LoadLookupWindow(); }

  // Opens the entry window and runs the steps inside its modal loop.
  void WithEntryWindow(const std::function<void()>& steps) {
    bool ran = false;
    RunLater(50, [&] {
      Focus(Entry());
      Pump(program_.Services(), 50);
      steps();
      ran = true;
      PostMessageA(Entry(), WM_CLOSE, 0, 0);
    });
    ASSERT_TRUE(program_.Services().LoadWindowModal(kEntryWindowNumber));
    ASSERT_TRUE(ran);
  }
  HWND Entry() { return program_.Window(kEntryWindowNumber); }
  void Type(std::uint32_t control, const std::string& text) {
    program_.Services().WriteText(kEntryWindowNumber, control, 8, text.c_str());
  }
  void SetCover(const std::string& bytes) {
    const Bytes cover = MakeByteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    program_.Services().WriteBytes(kEntryWindowNumber, kCover, 10, cover.get());
  }
  std::string Cover() {
    const Bytes cover = program_.Services().ReadBytes(kEntryWindowNumber, kCover, 10);
    return std::string(reinterpret_cast<const char*>(cover.data()), cover.size());
  }
  // Clicks 保存 and answers the message; returns its text.
  std::string Save() {
    const std::size_t before = boxes_.Seen().size();
    ClickControl(program_.Control(kEntryWindowNumber, kSaveButton), 10, 10);
    PumpUntil(program_.Services(), [&] { return boxes_.Seen().size() > before; }, 5000);
    const auto seen = boxes_.Seen();
    return seen.size() > before ? seen.back().text : "(no message)";
  }
  std::string RecordFile(const std::string& name, const std::string& extension) {
    return program_.Run() / ("数据\\" + name + "\\" + name + extension);
  }

  MessageBoxCloser boxes_;
  TestProgram program_;
};

TEST_F(EntryWindowTest, SaveRoundTripsThroughBothWindows) {
  const std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  WithEntryWindow([&] {
    EXPECT_TRUE(Exists(program_.Run() / "数据"));  // made when the window was created
    Type(kName, "红楼梦");
    Type(kAuthor, "曹雪芹");
    Type(kSynopsis, "第一回\r\n第二回");
    Type(kAddress, "www.example.com/hlm");
    Type(kCategory, "古典");
    SetCover(png);
    EXPECT_EQ(kSavedMessage, Save());
    EXPECT_EQ("曹雪芹", ReadBytes(RecordFile("红楼梦", ".zz")));
    EXPECT_EQ("第一回\r\n第二回", ReadBytes(RecordFile("红楼梦", ".jj")));
    EXPECT_EQ("古典", ReadBytes(RecordFile("红楼梦", ".lb")));
    EXPECT_EQ("www.example.com/hlm", ReadBytes(RecordFile("红楼梦", ".dz")));
    EXPECT_EQ(png, ReadBytes(RecordFile("红楼梦", ".jpg")));  // kept byte for byte, never re-encoded
    // The window stays as the user left it; a second save with shorter texts leaves no trace.
    EXPECT_EQ("曹雪芹", program_.Text(kEntryWindowNumber, kAuthor));
    Type(kAuthor, "曹");
    Type(kSynopsis, "");
    SetCover("plain text, not a picture");
    EXPECT_EQ(kSavedMessage, Save());
    EXPECT_EQ("曹", ReadBytes(RecordFile("红楼梦", ".zz")));
    EXPECT_TRUE(Exists(RecordFile("红楼梦", ".jj")));
    EXPECT_EQ("", ReadBytes(RecordFile("红楼梦", ".jj")));
    EXPECT_EQ("plain text, not a picture", ReadBytes(RecordFile("红楼梦", ".jpg")));
    // No cover: a zero-byte cover file.
    program_.Services().WriteBytes(kEntryWindowNumber, kCover, 10, nullptr);
    Type(kName, "无封面");
    EXPECT_EQ(kSavedMessage, Save());
    EXPECT_TRUE(Exists(RecordFile("无封面", ".jpg")));
    EXPECT_EQ("", ReadBytes(RecordFile("无封面", ".jpg")));
  });
  // Found by the lookup window afterwards, once searched for.
  program_.Services().WriteText(kLookupWindowNumber, lookup::kName, 8, "红楼梦");
  EXPECT_EQ("", program_.Text(kLookupWindowNumber, lookup::kAuthor));
  ClickControl(program_.Control(kLookupWindowNumber, lookup::kSearchButton));
  Pump(program_.Services(), 300);
  EXPECT_EQ("曹", program_.Text(kLookupWindowNumber, lookup::kAuthor));
  EXPECT_EQ("www.example.com/hlm", program_.Text(kLookupWindowNumber, lookup::kAddress));
}

TEST_F(EntryWindowTest, RefusedNamesWriteNothingAndSaySo) {
  struct Case {
    std::string name;
    const char* message;
  };
  const std::string longName(120, 'n');
  const Case cases[] = {
      {"", kBadNameMessage},        {"a\\b", kBadNameMessage}, {"a/b", kBadNameMessage},
      {"..", kBadNameMessage},      {"问?", kBadNameMessage},  {"名字 ", kBadNameMessage},
      {"com1.txt", kBadNameMessage}, {longName, kNameTooLongMessage},
  };
  WithEntryWindow([&] {
    Type(kAuthor, "某人");
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      Type(kName, c.name);
      EXPECT_EQ(c.message, Save());
    }
    // Nothing reached the disk: 数据 holds nothing.
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((program_.Run() / "数据\\*").c_str(), &entry);
    int entries = 0;
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if (std::string(entry.cFileName) != "." && std::string(entry.cFileName) != "..") ++entries;
      } while (FindNextFileA(search, &entry));
      FindClose(search);
    }
    EXPECT_EQ(0, entries);
    // A GBK name whose second byte is "\" is a plain name.
    Type(kName, "乗");
    EXPECT_EQ(kSavedMessage, Save());
    EXPECT_EQ("某人", ReadBytes(RecordFile("乗", ".zz")));
  });
}

TEST_F(EntryWindowTest, FailedSavesSayWhyAndKeepTheOldRecord) {
  program_.Put("旧", "旧作者", "旧简介", "旧类别", "http://old", "OLDCOVER");
  // The record's folder is a file: nothing can be written.
  WriteBytes(program_.Run() / "数据\\占用", "a file where the folder should be");
  // A record file's place is a non-empty folder: the others go back to how they were.
  DeleteFileA(RecordFile("旧", ".dz").c_str());
  CreateDirectoryA(RecordFile("旧", ".dz").c_str(), nullptr);
  WriteBytes(RecordFile("旧", ".dz") + "\\inside", "x");
  WithEntryWindow([&] {
    for (const char* name : {"占用", "旧"}) {
      SCOPED_TRACE(name);
      Type(kName, name);
      Type(kAuthor, "新作者");
      SetCover("NEWCOVER");
      const std::string message = Save();
      const std::string failed = std::string(kSaveFailedMessage) + "\r\n";
      ASSERT_EQ(failed, message.substr(0, failed.size()));
      EXPECT_GT(message.size(), failed.size());  // and the system's reason
    }
  });
  EXPECT_EQ("旧作者", ReadBytes(RecordFile("旧", ".zz")));
  EXPECT_EQ("OLDCOVER", ReadBytes(RecordFile("旧", ".jpg")));
  EXPECT_EQ("旧简介", ReadBytes(RecordFile("旧", ".jj")));
  EXPECT_EQ("旧类别", ReadBytes(RecordFile("旧", ".lb")));
}

HWND FindOwnDialog() {
  HWND found = nullptr;
  while ((found = FindWindowExA(nullptr, found, "#32770", nullptr)) != nullptr) {
    DWORD process = 0;
    GetWindowThreadProcessId(found, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(found)) return found;
  }
  return nullptr;
}

// Answers the open-file dialog of this process once it shows. The dialog runs
// on this thread, so this looks again later rather than wait.
void AnswerFileDialog(const std::string& path, bool confirm, int triesLeft = 200) {
  RunLater(50, [path, confirm, triesLeft] {
    HWND dialog = FindOwnDialog();
    if (dialog == nullptr) {
      if (triesLeft > 0) AnswerFileDialog(path, confirm, triesLeft - 1);
      else ADD_FAILURE() << "the open-file dialog never showed";
      return;
    }
    if (confirm) {
      SendMessageA(GetDlgItem(dialog, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
      PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    } else {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
  });
}

// Presses the cover label and waits until the dialog it opened is gone.
void ChooseWithDialog(TestProgram& program, const std::string& path, bool confirm) {
  AnswerFileDialog(path, confirm);
  // A press alone: the release must not land on the dialog that opens under the pointer.
  PostMessageA(program.Control(kEntryWindowNumber, kCoverLabel), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  Pump(program.Services(), 200);
  PumpUntil(program.Services(), [] { return FindOwnDialog() == nullptr; }, 10000);
  Pump(program.Services(), 100);
}

TEST_F(EntryWindowTest, OpenFileDialogLoadsTheChosenFileAndCancelKeepsTheBox) {
  const std::string first = program_.Run() / "封面.jpg";
  const std::string second = program_.Run() / "second.txt";
  WriteBytes(first, "FIRST COVER BYTES");
  WriteBytes(second, "SECOND");
  const std::string empty = program_.Run() / "empty.bin";
  WriteBytes(empty, "");
  WithEntryWindow([&] {
    ChooseWithDialog(program_, first, true);
    EXPECT_EQ("FIRST COVER BYTES", Cover());
    EXPECT_EQ(first, program_.Text(kEntryWindowNumber, kFileDialog, 10));
    EXPECT_EQ(1, program_.Services().ReadInteger(kEntryWindowNumber, kCover, 11));
    // Cancel keeps exactly what the box holds, even when the file changed meanwhile.
    WriteBytes(first, "CHANGED ON DISK");
    ChooseWithDialog(program_, "", false);
    EXPECT_EQ("FIRST COVER BYTES", Cover());
    ChooseWithDialog(program_, second, true);
    EXPECT_EQ("SECOND", Cover());
    // A confirmed file that is empty empties the box.
    ChooseWithDialog(program_, empty, true);
    EXPECT_EQ("", Cover());
  });
}

TEST(DropEffectTest, KeysAndAllowedEffectsChooseTheEffect) {
  const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  struct Case {
    bool acceptable;
    DWORD keys;
    DWORD allowed;
    DWORD effect;
  };
  const Case cases[] = {
      {false, 0, all, DROPEFFECT_NONE},
      {true, MK_CONTROL | MK_SHIFT, all, DROPEFFECT_NONE},
      {true, MK_CONTROL, all, DROPEFFECT_COPY},
      {true, MK_CONTROL, DROPEFFECT_MOVE, DROPEFFECT_NONE},
      {true, MK_SHIFT, all, DROPEFFECT_MOVE},
      {true, MK_SHIFT, DROPEFFECT_COPY, DROPEFFECT_NONE},
      {true, 0, all, DROPEFFECT_COPY},
      {true, 0, DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_MOVE},
      {true, 0, DROPEFFECT_LINK, DROPEFFECT_LINK},
      {true, 0, DROPEFFECT_NONE, DROPEFFECT_NONE},
      {true, MK_LBUTTON, all, DROPEFFECT_COPY},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.effect, ChooseDropEffect(c.acceptable, c.keys, c.allowed))
        << c.acceptable << " keys " << c.keys << " allowed " << c.allowed;
  }
}

TEST_F(EntryWindowTest, DroppedFilesLoadTheFirstAndNeverMoveAnything) {
  const std::string first = program_.Run() / "拖入.gif";
  const std::string second = program_.Run() / "other.bmp";
  WriteBytes(first, "DROPPED ONE");
  WriteBytes(second, "DROPPED TWO");
  WithEntryWindow([&] {
    HWND box = program_.Control(kEntryWindowNumber, kCover);
    auto pump = [&] { Pump(program_.Services(), 20); };
    // One file, dragged by a source that would move it on Shift.
    DragOutcome plain = DragOnto(box, CF_HDROP, MakeFileList({second}), DROPEFFECT_COPY, 0, pump);
    EXPECT_EQ("DROPPED TWO", Cover());
    EXPECT_TRUE(FAILED(plain.result)) << plain.result;
    DragOutcome moved = DragOnto(box, CF_HDROP, MakeFileList({first}), DROPEFFECT_COPY | DROPEFFECT_MOVE, MK_SHIFT, pump);
    EXPECT_EQ("DROPPED ONE", Cover());
    EXPECT_TRUE(FAILED(moved.result)) << moved.result;  // the drop answers the source with failure
    EXPECT_EQ(DROPEFFECT_NONE, moved.effect);  // the source must not delete the file
    EXPECT_TRUE(Exists(first));
    // Two files: the first one is loaded.
    DragOutcome two = DragOnto(box, CF_HDROP, MakeFileList({second, first}), DROPEFFECT_COPY, 0, pump);
    EXPECT_TRUE(FAILED(two.result)) << two.result;
    EXPECT_EQ("DROPPED TWO", Cover());
    EXPECT_EQ(DROPEFFECT_NONE, two.effect);
    // Text is refused: nothing happens to the box.
    DragOnto(box, CF_TEXT, MakeTextGlobal(first), DROPEFFECT_COPY, 0, pump);
    EXPECT_EQ("DROPPED TWO", Cover());
    // A folder empties the box.
    DragOnto(box, CF_HDROP, MakeFileList({program_.Run().path()}), DROPEFFECT_COPY, 0, pump);
    EXPECT_EQ("", Cover());
    // A second registration is refused; the first stays in force.
    EXPECT_FALSE(program_.Services().RegisterDropWindow(kEntryWindowNumber, kDropTarget, box));
    DragOnto(box, CF_HDROP, MakeFileList({first}), DROPEFFECT_COPY, 0, pump);
    EXPECT_EQ("DROPPED ONE", Cover());
  });
}

}  // namespace
}  // namespace vq::testing
