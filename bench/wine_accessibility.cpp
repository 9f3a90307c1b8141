// Times what a screen reader asks of the text views on a large text: the MSAA object and UI
// Automation's simple properties of the real Vornel.exe from outside (after Read file on
// INPUT_FILE), and, since wine 8 has no client for UI Automation's patterns, the Text and
// Value patterns called in this process on a view of its own holding the same text. Each
// query REPEATS times (default 9); prints key=value lines for bench/run.sh: per group the
// slowest query's median and the slowest single answer, in seconds, and that query's name
// (getting the object or node is a group of its own); each query's figures on standard error.
//
//   vornel_bench_wine_accessibility VORNEL_EXE INPUT_FILE [REPEATS]
// Paths are Windows paths; INPUT_FILE is UTF-16LE with its byte-order mark. The hand-off
// folder must not exist (the start is interactive).

#include <windows.h>
// After windows.h, on which they build.
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "bench/started_dialog.h"
#include "res/resource.h"
#include "ui/win32/text_view/text_view.h"
#include "ui/win32/text_view/uia_functions.h"
#include "ui/win32/text_view/uia_provider.h"

namespace {

long long TextLength(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 2000, &length)) return -1;
  return static_cast<long long>(length);
}

// The timings of one group of queries: each query's median and the slowest answer of all.
class Timings {
 public:
  // Runs `query` `repeats` times and keeps its times; a failed answer counts as failed.
  void Time(const char* name, int repeats, const std::function<bool()>& query) {
    std::vector<double> times;
    for (int k = 0; k < repeats; ++k) {
      const double start = Now();
      ok_ = query() && ok_;
      times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::fprintf(stderr, "%-50s median %8.3f ms, slowest %8.3f ms\n", name, median * 1000,
                 times.back() * 1000);
    if (median > slowestMedian_) {
      slowestMedian_ = median;
      slowestName_ = name;
    }
    slowest_ = std::max(slowest_, times.back());
  }
  void Print(const char* group) const {
    std::printf("%s_slowest_median_seconds=%.6f\n%s_slowest_query=%s\n", group, slowestMedian_,
                group, slowestName_.c_str());
    std::printf("%s_slowest_seconds=%.6f\n%s_ok=%d\n", group, slowest_, group, ok_ ? 1 : 0);
  }
  bool Ok() const { return ok_; }

 private:
  double slowestMedian_ = 0;
  double slowest_ = 0;
  std::string slowestName_;
  bool ok_ = true;
};

bool Answered(HRESULT result, BSTR text) {
  SysFreeString(text);
  return result == S_OK;
}

// The MSAA object's answers, across processes; getting the object is timed apart.
void TimeMsaa(HWND view, int repeats, Timings& connect, Timings& timings) {
  IAccessible* object = nullptr;
  connect.Time("AccessibleObjectFromWindow", repeats, [&] {
    if (object != nullptr) object->Release();
    object = nullptr;
    return SUCCEEDED(AccessibleObjectFromWindow(view, OBJID_CLIENT, IID_IAccessible,
                                                reinterpret_cast<void**>(&object)));
  });
  if (object == nullptr) return;
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  VARIANT result;
  long x = 0;
  long y = 0;
  long width = 0;
  long height = 0;
  HWND window = nullptr;
  timings.Time("accName", repeats,
               [&] { return Answered(object->get_accName(self, &text), text); });
  timings.Time("accValue", repeats,
               [&] { return Answered(object->get_accValue(self, &text), text); });
  timings.Time("accRole", repeats, [&] { return object->get_accRole(self, &result) == S_OK; });
  timings.Time("accState", repeats, [&] { return object->get_accState(self, &result) == S_OK; });
  timings.Time("accLocation", repeats,
               [&] { return object->accLocation(&x, &y, &width, &height, self) == S_OK; });
  timings.Time("WindowFromAccessibleObject", repeats,
               [&] { return SUCCEEDED(WindowFromAccessibleObject(object, &window)); });
  object->Release();
}

// The simple properties that wine 8's client can ask for across processes.
constexpr PROPERTYID kTimedProperties[] = {UIA_NamePropertyId, UIA_ControlTypePropertyId,
                                           UIA_AutomationIdPropertyId,
                                           UIA_IsKeyboardFocusablePropertyId};

const char* PropertyName(PROPERTYID property) {
  switch (property) {
    case UIA_NamePropertyId:
      return "UIA Name";
    case UIA_ControlTypePropertyId:
      return "UIA ControlType";
    case UIA_AutomationIdPropertyId:
      return "UIA AutomationId";
    default:
      return "UIA IsKeyboardFocusable";
  }
}

// UI Automation's simple properties, across processes; getting the node is timed apart.
void TimeUiaProperties(HWND view, int repeats, Timings& connect, Timings& timings) {
  uia::HUIANODE node = nullptr;
  connect.Time("UiaNodeFromHandle", repeats, [&] {
    if (node != nullptr) uia::NodeRelease(node);
    node = nullptr;
    return SUCCEEDED(uia::NodeFromHandle(view, &node)) && node != nullptr;
  });
  if (node == nullptr) return;
  for (const PROPERTYID property : kTimedProperties) {
    timings.Time(PropertyName(property), repeats, [&] {
      VARIANT value;
      VariantInit(&value);
      const bool ok =
          SUCCEEDED(uia::GetPropertyValue(node, property, &value)) && value.vt != VT_EMPTY;
      VariantClear(&value);
      return ok;
    });
  }
  uia::NodeRelease(node);
}

// The same properties answered by the provider itself, called directly in this process: what
// the view's own code costs, apart from the round trips between processes.
void TimeProviderProperties(IRawElementProviderSimple* element, int repeats, Timings& timings) {
  for (const PROPERTYID property : kTimedProperties) {
    timings.Time(PropertyName(property), repeats, [&] {
      VARIANT value;
      VariantInit(&value);
      // This view has no dialog around it, so its name and id may be empty.
      const bool ok = element->GetPropertyValue(property, &value) == S_OK;
      VariantClear(&value);
      return ok;
    });
  }
}

// The Text and Value patterns, called directly on a view of this process holding `text`, and
// the simple properties answered there by the provider (`properties`).
void TimePatterns(std::u16string text, int repeats, Timings& timings, Timings& properties) {
  if (!RegisterTextView(GetModuleHandleW(nullptr))) return;
  const HWND view = CreateWindowExW(0, kTextViewClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  const std::size_t size = text.size();
  if (view == nullptr || !TakeTextViewText(view, text)) return;
  IRawElementProviderSimple* element = NewUiaProvider(view);
  TimeProviderProperties(element, repeats, properties);
  uia::ITextProvider* provider = nullptr;
  uia::IValueProvider* value = nullptr;
  element->QueryInterface(uia::kIidTextProvider, reinterpret_cast<void**>(&provider));
  element->QueryInterface(uia::kIidValueProvider, reinterpret_cast<void**>(&value));
  uia::ITextRangeProvider* document = nullptr;
  provider->get_DocumentRange(&document);
  uia::ITextRangeProvider* range = nullptr;
  document->Clone(&range);
  SendMessageW(view, EM_SETSEL, size, static_cast<LPARAM>(size));

  BSTR bstr = nullptr;
  SAFEARRAY* array = nullptr;
  int moved = 0;
  const auto release = [](uia::ITextRangeProvider* r) {
    if (r != nullptr) r->Release();
    return r != nullptr;
  };
  timings.Time("Value", repeats, [&] { return Answered(value->get_Value(&bstr), bstr); });
  timings.Time("DocumentRange", repeats, [&] {
    uia::ITextRangeProvider* r = nullptr;
    return provider->get_DocumentRange(&r) == S_OK && release(r);
  });
  timings.Time("GetText(-1) of the document", repeats,
               [&] { return Answered(document->GetText(-1, &bstr), bstr); });
  timings.Time("GetSelection", repeats, [&] {
    const bool ok = provider->GetSelection(&array) == S_OK;
    SafeArrayDestroy(array);
    return ok;
  });
  timings.Time("GetVisibleRanges", repeats, [&] {
    const bool ok = provider->GetVisibleRanges(&array) == S_OK;
    SafeArrayDestroy(array);
    return ok;
  });
  timings.Time("GetBoundingRectangles of the document", repeats, [&] {
    const bool ok = document->GetBoundingRectangles(&array) == S_OK;
    SafeArrayDestroy(array);
    return ok;
  });
  const std::pair<const char*, uia::TextUnit> units[] = {
      {"character", uia::TextUnit_Character}, {"word", uia::TextUnit_Word},
      {"line", uia::TextUnit_Line},           {"paragraph", uia::TextUnit_Paragraph},
      {"page", uia::TextUnit_Page},           {"document", uia::TextUnit_Document},
  };
  for (const auto& [name, unit] : units) {
    const std::string expand = std::string("ExpandToEnclosingUnit ") + name;
    const std::string move = std::string("Move by ") + name + " at the end and back";
    const std::string endpoint = std::string("MoveEndpointByUnit ") + name + " from the start";
    timings.Time(expand.c_str(), repeats, [&] {
      return range->MoveEndpointByRange(uia::TextPatternRangeEndpoint_Start, document,
                                        uia::TextPatternRangeEndpoint_End) == S_OK &&
             range->ExpandToEnclosingUnit(unit) == S_OK;
    });
    timings.Time(move.c_str(), repeats, [&] {
      return range->Move(unit, -1, &moved) == S_OK && range->Move(unit, 1, &moved) == S_OK;
    });
    timings.Time(endpoint.c_str(), repeats, [&] {
      return range->MoveEndpointByRange(uia::TextPatternRangeEndpoint_End, document,
                                        uia::TextPatternRangeEndpoint_Start) == S_OK &&
             range->MoveEndpointByUnit(uia::TextPatternRangeEndpoint_End, unit, 3, &moved) == S_OK;
    });
  }
  timings.Time("Select and ScrollIntoView at the end", repeats, [&] {
    return range->MoveEndpointByRange(uia::TextPatternRangeEndpoint_Start, document,
                                      uia::TextPatternRangeEndpoint_End) == S_OK &&
           range->Select() == S_OK && range->ScrollIntoView(TRUE) == S_OK;
  });
  int order = 0;
  timings.Time("CompareEndpoints", repeats, [&] {
    return range->CompareEndpoints(uia::TextPatternRangeEndpoint_Start, document,
                                   uia::TextPatternRangeEndpoint_End, &order) == S_OK;
  });
  range->Release();
  document->Release();
  value->Release();
  provider->Release();
  element->Release();
  DestroyWindow(view);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) {
    std::fwprintf(stderr, L"usage: %ls VORNEL_EXE INPUT_FILE [REPEATS]\n", argv[0]);
    return 2;
  }
  const std::wstring program = argv[1];
  const std::wstring input = argv[2];
  const int repeats = argc == 4 ? std::max(1, _wtoi(argv[3])) : 9;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;

  std::ifstream file(std::filesystem::path(input), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() < 2) {
    std::fwprintf(stderr, L"cannot read %ls\n", input.c_str());
    return 1;
  }
  const auto chars = static_cast<long long>((bytes.size() - 2) / 2);

  PROCESS_INFORMATION info;
  const HWND dialog = StartDialog(program, info);
  if (info.hProcess == nullptr) return 1;
  int status = 1;
  if (dialog == nullptr) {
    std::fwprintf(stderr, L"the dialog did not appear\n");
  } else {
    const HWND view = GetDlgItem(dialog, IDC_EDIT_FILE_TEXT);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, IDC_BROWSE_FILE), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(input.c_str()), SMTO_NORMAL, 60000, &ignored);
    PostMessageW(GetDlgItem(dialog, IDC_BTN_READ_FILE), BM_CLICK, 0, 0);
    if (!WaitUntil([&] { return TextLength(view) == chars; }, kTimeoutMs, 5)) {
      std::fwprintf(stderr, L"the file's text did not appear\n");
    } else {
      // The same from outside on the dialog's read-only edit box, which wine's own object
      // answers (it has no UI Automation element there).
      Timings editConnect;
      Timings editMsaa;
      TimeMsaa(GetDlgItem(dialog, IDC_EDIT_EXE_PATH), repeats, editConnect, editMsaa);
      Timings msaaConnect;
      Timings msaa;
      TimeMsaa(view, repeats, msaaConnect, msaa);
      Timings uiaConnect;
      Timings properties;
      TimeUiaProperties(view, repeats, uiaConnect, properties);
      // The empty results view answers the same properties: what a round trip costs whatever
      // the text.
      Timings emptyConnect;
      Timings emptyProperties;
      TimeUiaProperties(GetDlgItem(dialog, IDC_EDIT_RESULT), repeats, emptyConnect,
                        emptyProperties);
      std::u16string text(static_cast<std::size_t>(chars), u'\0');
      std::copy_n(bytes.data() + 2, text.size() * 2, reinterpret_cast<char*>(text.data()));
      std::string().swap(bytes);
      Timings patterns;
      Timings providerProperties;
      TimePatterns(std::move(text), repeats, patterns, providerProperties);
      std::printf("text_chars=%lld\n", chars);
      editConnect.Print("edit_msaa_connect");
      editMsaa.Print("edit_msaa");
      msaaConnect.Print("msaa_connect");
      msaa.Print("msaa");
      uiaConnect.Print("uia_connect");
      properties.Print("uia_properties");
      emptyConnect.Print("empty_uia_connect");
      emptyProperties.Print("empty_uia_properties");
      providerProperties.Print("provider_properties");
      patterns.Print("patterns");
      status = msaaConnect.Ok() && msaa.Ok() && uiaConnect.Ok() && properties.Ok() &&
                       emptyProperties.Ok() && providerProperties.Ok() && patterns.Ok()
                   ? 0
                   : 1;
    }
    PostMessageW(GetDlgItem(dialog, IDC_BTN_EXIT), BM_CLICK, 0, 0);
  }
  WaitForSingleObject(info.hProcess, 60000);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  CoUninitialize();
  return status;
}
