// Helpers for the Windows tests of the settings, the configuration dialog and the
// installer: a scratch copy of the setting, modal dialogs run on their own thread with
// time limits, and a reader for dialog templates in resources.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace morv_test {

constexpr DWORD DialogWaitMs = 10000;

// ---------------------------------------------------------------------------------------
// Registry: HKCU\Software\Quillane is removed for the test and put back afterwards, so a
// test starts with no stored setting and leaves the user's own setting as it was.

inline const char* QuillaneKeyPath() { return "Software\\Quillane"; }
inline const char* SettingKeyPath() { return "Software\\Quillane\\Morvessantique"; }
inline const char* SettingValueName() { return "Fast Madness"; }

inline LONG DeleteKeyTree(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | DELETE, &key);
  if (opened != ERROR_SUCCESS) {
    return opened;
  }
  std::vector<std::string> children;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    children.push_back(name);
  }
  RegCloseKey(key);
  for (const std::string& child : children) {
    DeleteKeyTree(root, path + "\\" + child);
  }
  return RegDeleteKeyA(root, path.c_str());
}

struct StoredValue {
  bool exists = false;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

inline bool SettingKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingKeyPath(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// The stored value exactly as it is, whatever its type and length.
inline StoredValue ReadStoredValue() {
  StoredValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingKeyPath(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return value;
  }
  DWORD size = 0;
  if (RegQueryValueExA(key, SettingValueName(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.exists = true;
    value.data.resize(size);
    if (size > 0) {
      RegQueryValueExA(key, SettingValueName(), nullptr, &value.type, value.data.data(), &size);
    }
  }
  RegCloseKey(key);
  return value;
}

inline void StoreValue(DWORD type, const std::vector<BYTE>& data) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, SettingKeyPath(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, SettingValueName(), 0, type, data.empty() ? nullptr : data.data(),
                 static_cast<DWORD>(data.size()));
  RegCloseKey(key);
}

inline void CreateSettingKeyOnly() {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, SettingKeyPath(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegCloseKey(key);
}

class ScratchSetting {
 public:
  ScratchSetting() : saved_(ReadStoredValue()) { DeleteKeyTree(HKEY_CURRENT_USER, QuillaneKeyPath()); }
  ~ScratchSetting() {
    DeleteKeyTree(HKEY_CURRENT_USER, QuillaneKeyPath());
    if (saved_.exists) {
      StoreValue(saved_.type, saved_.data);
    }
  }
  ScratchSetting(const ScratchSetting&) = delete;
  ScratchSetting& operator=(const ScratchSetting&) = delete;

 private:
  StoredValue saved_;
};

// ---------------------------------------------------------------------------------------
// A modal dialog on its own thread. The test thread finds the dialog, drives it with
// messages and waits for its end, never longer than the time limits: a dialog that does
// not end is closed by force so that a failing test cannot hang.

class ModalDialogThread {
 public:
  explicit ModalDialogThread(std::function<INT_PTR()> show) : show_(std::move(show)) {
    done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &ModalDialogThread::Run, this, 0, &threadId_);
  }
  ~ModalDialogThread() {
    if (thread_ != nullptr && WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT) {
      HWND dialog = FindDialog(nullptr);
      if (dialog != nullptr) {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
      }
      if (WaitForSingleObject(thread_, DialogWaitMs) == WAIT_TIMEOUT) {
        TerminateThread(thread_, 1);
      }
    }
    if (thread_ != nullptr) CloseHandle(thread_);
    if (done_ != nullptr) CloseHandle(done_);
  }
  ModalDialogThread(const ModalDialogThread&) = delete;
  ModalDialogThread& operator=(const ModalDialogThread&) = delete;

  DWORD threadId() const { return threadId_; }

  // The thread's visible dialog window with this caption (any caption when null), or null
  // when none appeared in time.
  HWND WaitForDialog(const char* caption, DWORD timeoutMs = DialogWaitMs) const {
    const DWORD start = GetTickCount();
    for (;;) {
      HWND dialog = FindDialog(caption);
      if (dialog != nullptr && IsWindowVisible(dialog)) {
        return dialog;
      }
      if (WaitForSingleObject(done_, 0) == WAIT_OBJECT_0 || GetTickCount() - start > timeoutMs) {
        return nullptr;
      }
      Sleep(10);
    }
  }

  // True when the dialog ended in time; `result` gets what the show function returned.
  bool WaitForEnd(INT_PTR* result, DWORD timeoutMs = DialogWaitMs) const {
    if (WaitForSingleObject(thread_, timeoutMs) != WAIT_OBJECT_0) {
      return false;
    }
    *result = result_;
    return true;
  }

 private:
  struct Search {
    const char* caption;
    HWND found;
  };

  static BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam) {
    Search* search = reinterpret_cast<Search*>(lParam);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0) {
      return TRUE;
    }
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    if (search->caption == nullptr || std::strcmp(title, search->caption) == 0) {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }

  HWND FindDialog(const char* caption) const {
    Search search = {caption, nullptr};
    EnumThreadWindows(threadId_, &ModalDialogThread::MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  static DWORD WINAPI Run(LPVOID self) {
    ModalDialogThread* me = static_cast<ModalDialogThread*>(self);
    me->result_ = me->show_();
    SetEvent(me->done_);
    return 0;
  }

  std::function<INT_PTR()> show_;
  INT_PTR result_ = -100;
  HANDLE done_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
};

inline std::string WindowText(HWND window) {
  char text[1100] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

inline std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

// Keys go through the dialog's own modal loop, as typed keys do.
inline void PressKey(HWND dialog, WPARAM key) {
  PostMessageA(dialog, WM_KEYDOWN, key, 1);
  PostMessageA(dialog, WM_KEYUP, key, 0xC0000001);
}

// ---------------------------------------------------------------------------------------
// Dialog templates (the classic DLGTEMPLATE form that DIALOG statements produce).

struct DialogItem {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  WORD id = 0;
  std::string className;  // "#128" etc. for the predefined classes given by ordinal
  std::string text;       // "#<n>" for a resource ordinal
};

struct DialogTemplate {
  bool found = false;
  WORD language = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::string menu, className, caption;
  WORD pointSize = 0;
  std::string fontName;
  std::vector<DialogItem> items;
};

inline std::string ReadSzOrOrd(const WORD*& p) {
  if (*p == 0x0000) {
    ++p;
    return "";
  }
  if (*p == 0xFFFF) {
    const WORD ordinal = p[1];
    p += 2;
    return "#" + std::to_string(ordinal);
  }
  std::string text;
  while (*p != 0) {
    text += static_cast<char>(*p < 0x100 ? *p : '?');
    ++p;
  }
  ++p;
  return text;
}

inline const WORD* AlignDword(const WORD* p, const BYTE* base) {
  const std::uintptr_t offset = reinterpret_cast<const BYTE*>(p) - base;
  return reinterpret_cast<const WORD*>(base + ((offset + 3) & ~std::uintptr_t{3}));
}

struct LanguageSearch {
  WORD language;
  int count;
};

inline BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR lParam) {
  LanguageSearch* search = reinterpret_cast<LanguageSearch*>(lParam);
  search->language = language;
  ++search->count;
  return TRUE;
}

// The language of a resource that exists in exactly one language; 0 otherwise.
inline WORD OnlyLanguageOf(HMODULE module, LPCSTR type, LPCSTR name) {
  LanguageSearch search = {0, 0};
  EnumResourceLanguagesA(module, type, name, &CollectLanguage, reinterpret_cast<LONG_PTR>(&search));
  return search.count == 1 ? search.language : 0;
}

inline DialogTemplate ReadDialogTemplate(HMODULE module, LPCSTR name) {
  DialogTemplate dialog;
  HRSRC info = FindResourceA(module, name, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
  if (info == nullptr) {
    return dialog;
  }
  const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
  if (base == nullptr) {
    return dialog;
  }
  dialog.found = true;
  dialog.language = OnlyLanguageOf(module, MAKEINTRESOURCEA(5), name);
  DWORD header[2];
  std::memcpy(header, base, sizeof header);
  dialog.style = header[0];
  dialog.exStyle = header[1];
  const WORD* p = reinterpret_cast<const WORD*>(base + 8);
  const WORD count = *p++;
  dialog.x = static_cast<short>(*p++);
  dialog.y = static_cast<short>(*p++);
  dialog.cx = static_cast<short>(*p++);
  dialog.cy = static_cast<short>(*p++);
  dialog.menu = ReadSzOrOrd(p);
  dialog.className = ReadSzOrOrd(p);
  dialog.caption = ReadSzOrOrd(p);
  if (dialog.style & DS_SETFONT) {
    dialog.pointSize = *p++;
    dialog.fontName = ReadSzOrOrd(p);
  }
  for (WORD i = 0; i < count; ++i) {
    p = AlignDword(p, base);
    DialogItem item;
    DWORD styles[2];
    std::memcpy(styles, p, sizeof styles);
    item.style = styles[0];
    item.exStyle = styles[1];
    p += 4;
    item.x = static_cast<short>(*p++);
    item.y = static_cast<short>(*p++);
    item.cx = static_cast<short>(*p++);
    item.cy = static_cast<short>(*p++);
    item.id = *p++;
    item.className = ReadSzOrOrd(p);
    item.text = ReadSzOrOrd(p);
    const WORD extra = *p++;
    p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
    dialog.items.push_back(item);
  }
  return dialog;
}

}  // namespace morv_test
