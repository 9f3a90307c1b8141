// The text view's UI Automation Text and Value patterns, called directly in the view's own
// process (wine 8 has no client for patterns): units, moves at both ends, the limits of the
// text handed out, on an empty text, one line, CR LF lines and a text of 200 MiB.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tuning/tuning.h"
#include "ui/win32/text_view/text_view.h"
#include "ui/win32/text_view/uia_provider.h"

namespace {

using uia::ITextRangeProvider;
using Span = std::pair<std::size_t, std::size_t>;

constexpr auto kStart = uia::TextPatternRangeEndpoint_Start;
constexpr auto kEnd = uia::TextPatternRangeEndpoint_End;

// "ab cd" CR LF "ef" CR LF CR LF "gh": lines start at 0, 7, 11 and 13; 15 characters.
const std::wstring kLines = L"ab cd\r\nef\r\n\r\ngh";

// A range that releases its reference when it goes.
class Range {
 public:
  explicit Range(ITextRangeProvider* range = nullptr) : p_(range) {}
  ~Range() {
    if (p_ != nullptr) p_->Release();
  }
  Range(Range&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Range(const Range&) = delete;
  Range& operator=(const Range&) = delete;
  Range& operator=(Range&&) = delete;
  ITextRangeProvider* operator->() const { return p_; }
  ITextRangeProvider* get() const { return p_; }
  ITextRangeProvider** Out() { return &p_; }

 private:
  ITextRangeProvider* p_;
};

std::wstring TakeBstr(BSTR text) {
  std::wstring copy = text != nullptr ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return copy;
}

class TextViewUiaTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterTextView(GetModuleHandleW(nullptr)));
    view_ = CreateWindowExW(0, kTextViewClass, L"", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL,
                            0, 0, 240, 160, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(view_, nullptr);
    SendMessageW(view_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    element_ = NewUiaProvider(view_);
    ASSERT_NE(element_, nullptr);
    ASSERT_EQ(element_->QueryInterface(uia::kIidTextProvider, reinterpret_cast<void**>(&text_)),
              S_OK);
    ASSERT_EQ(element_->QueryInterface(uia::kIidValueProvider, reinterpret_cast<void**>(&value_)),
              S_OK);
  }
  void TearDown() override {
    for (IUnknown* object : {static_cast<IUnknown*>(text_), static_cast<IUnknown*>(value_),
                             static_cast<IUnknown*>(element_)}) {
      if (object != nullptr) object->Release();
    }
    if (view_ != nullptr) DestroyWindow(view_);
  }

  void Show(const std::wstring& text) { ASSERT_TRUE(SetWindowTextW(view_, text.c_str())); }

  Range Document() const {
    Range range;
    EXPECT_EQ(text_->get_DocumentRange(range.Out()), S_OK);
    return range;
  }

  // The range [start, end), as the view's selection hands it out.
  Range At(std::size_t start, std::size_t end) const {
    SendMessageW(view_, EM_SETSEL, start, static_cast<LPARAM>(end));
    SAFEARRAY* ranges = nullptr;
    EXPECT_EQ(text_->GetSelection(&ranges), S_OK);
    LONG index = 0;
    Range range;
    EXPECT_EQ(SafeArrayGetElement(ranges, &index, range.Out()), S_OK);  // with a reference
    SafeArrayDestroy(ranges);
    return range;
  }

  // Where `range` lies, as selecting it tells.
  Span SpanOf(const Range& range) const {
    EXPECT_EQ(range->Select(), S_OK);
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(view_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }

  static std::wstring TextOf(const Range& range, int maxLength = -1) {
    BSTR text = nullptr;
    EXPECT_EQ(range->GetText(maxLength, &text), S_OK);
    return TakeBstr(text);
  }

  std::wstring Value() const {
    BSTR text = nullptr;
    EXPECT_EQ(value_->get_Value(&text), S_OK);
    return TakeBstr(text);
  }

  HWND view_ = nullptr;
  IRawElementProviderSimple* element_ = nullptr;
  uia::ITextProvider* text_ = nullptr;
  uia::IValueProvider* value_ = nullptr;
};

TEST_F(TextViewUiaTest, TextAndValueAreReadOnlyAndHandOutAtMostTheirLimit) {
  struct Case {
    std::wstring text;
    int maxLength;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"", -1, L""},       {L"", 5, L""},       {L"101", -1, L"101"},
      {L"101", 0, L""},     {L"101", 2, L"10"},  {L"101", 9, L"101"},
      {kLines, -1, kLines}, {kLines, 3, L"ab "}, {kLines, 7, L"ab cd\r\n"},
  };
  for (const Case& c : cases) {
    Show(c.text);
    SCOPED_TRACE(c.text + L" / " + std::to_wstring(c.maxLength));
    EXPECT_EQ(TextOf(Document(), c.maxLength), c.expected);
    EXPECT_EQ(Value(), c.text);
  }
  BSTR text = nullptr;
  EXPECT_EQ(Document()->GetText(-2, &text), E_INVALIDARG);
  BOOL readOnly = FALSE;
  EXPECT_EQ(value_->get_IsReadOnly(&readOnly), S_OK);
  EXPECT_TRUE(readOnly);
  EXPECT_TRUE(FAILED(value_->SetValue(L"1")));
  EXPECT_EQ(Value(), kLines);
}

TEST_F(TextViewUiaTest, RangesExpandToTheUnitAroundTheirStart) {
  Show(kLines);
  struct Case {
    uia::TextUnit unit;
    std::size_t at;
    Span expected;
  };
  const Case cases[] = {
      {uia::TextUnit_Character, 1, {1, 2}},    {uia::TextUnit_Character, 5, {5, 7}},  // CR LF
      {uia::TextUnit_Character, 15, {14, 15}}, {uia::TextUnit_Format, 1, {0, 3}},
      {uia::TextUnit_Word, 1, {0, 3}},         {uia::TextUnit_Word, 4, {3, 5}},
      {uia::TextUnit_Word, 5, {5, 7}},         {uia::TextUnit_Line, 8, {7, 11}},
      {uia::TextUnit_Line, 11, {11, 13}},      {uia::TextUnit_Line, 15, {13, 15}},
      {uia::TextUnit_Paragraph, 8, {7, 11}},   {uia::TextUnit_Document, 8, {0, 15}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.unit) + " at " + std::to_string(c.at));
    const Range range = At(c.at, c.at);
    EXPECT_EQ(range->ExpandToEnclosingUnit(c.unit), S_OK);
    EXPECT_EQ(SpanOf(range), c.expected);
  }
  // A page is what the view shows.
  Show(std::wstring(200, L'\n'));
  SAFEARRAY* visible = nullptr;
  ASSERT_EQ(text_->GetVisibleRanges(&visible), S_OK);
  LONG index = 0;
  Range shown;
  ASSERT_EQ(SafeArrayGetElement(visible, &index, shown.Out()), S_OK);
  SafeArrayDestroy(visible);
  const Range page = At(0, 0);
  EXPECT_EQ(page->ExpandToEnclosingUnit(uia::TextUnit_Page), S_OK);
  const Span shownSpan = SpanOf(shown);
  EXPECT_GT(shownSpan.second, 1u);
  EXPECT_EQ(SpanOf(page), Span(0, shownSpan.second + 1));  // with the last line's break
}

TEST_F(TextViewUiaTest, MovesStopAtBothEnds) {
  struct Case {
    std::wstring text;
    Span from;
    uia::TextUnit unit;
    int count;
    int moved;
    Span to;
  };
  const Case cases[] = {
      {L"", {0, 0}, uia::TextUnit_Character, 1, 0, {0, 0}},
      {L"", {0, 0}, uia::TextUnit_Line, -1, 0, {0, 0}},
      {L"101", {0, 0}, uia::TextUnit_Character, 5, 3, {3, 3}},
      {L"101", {0, 3}, uia::TextUnit_Line, 1, 0, {0, 3}},
      {L"101", {1, 2}, uia::TextUnit_Character, -4, -1, {0, 1}},
      {kLines, {0, 7}, uia::TextUnit_Line, 2, 2, {11, 13}},
      {kLines, {0, 7}, uia::TextUnit_Line, 10, 3, {13, 15}},
      {kLines, {8, 9}, uia::TextUnit_Line, -1, -1, {0, 7}},
      {kLines, {7, 11}, uia::TextUnit_Line, -5, -1, {0, 7}},
      {kLines, {4, 5}, uia::TextUnit_Character, 1, 1, {5, 7}},
      {kLines, {0, 0}, uia::TextUnit_Word, 2, 2, {5, 5}},
      {kLines, {15, 15}, uia::TextUnit_Character, 1, 0, {15, 15}},
      {kLines, {15, 15}, uia::TextUnit_Line, -1, -1, {13, 13}},
      {kLines, {0, 15}, uia::TextUnit_Document, 1, 0, {0, 15}},
      {L"1\r\n", {0, 3}, uia::TextUnit_Line, 1, 0, {0, 3}},  // no unit after the last break
  };
  for (const Case& c : cases) {
    Show(c.text);
    SCOPED_TRACE(c.text + L" " + std::to_wstring(c.unit) + L" " + std::to_wstring(c.count));
    const Range range = At(c.from.first, c.from.second);
    int moved = 99;
    EXPECT_EQ(range->Move(c.unit, c.count, &moved), S_OK);
    EXPECT_EQ(moved, c.moved);
    EXPECT_EQ(SpanOf(range), c.to);
  }
}

TEST_F(TextViewUiaTest, EndpointsMoveByUnitAndByRangeAndTakeTheOtherAlong) {
  Show(kLines);
  struct Case {
    Span from;
    uia::TextPatternRangeEndpoint endpoint;
    uia::TextUnit unit;
    int count;
    int moved;
    Span to;
  };
  const Case cases[] = {
      {{0, 0}, kEnd, uia::TextUnit_Word, 1, 1, {0, 3}},
      {{0, 15}, kStart, uia::TextUnit_Character, 100, 12, {15, 15}},  // CR LF counts once
      {{7, 11}, kEnd, uia::TextUnit_Character, -2, -2, {7, 8}},
      {{7, 11}, kStart, uia::TextUnit_Line, -1, -1, {0, 11}},
      {{7, 11}, kEnd, uia::TextUnit_Line, -3, -2, {0, 0}},
      {{7, 11}, kStart, uia::TextUnit_Document, -1, -1, {0, 11}},
      {{0, 0}, kStart, uia::TextUnit_Page, -1, 0, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from.first) + " " + std::to_string(c.unit));
    const Range range = At(c.from.first, c.from.second);
    int moved = 99;
    EXPECT_EQ(range->MoveEndpointByUnit(c.endpoint, c.unit, c.count, &moved), S_OK);
    EXPECT_EQ(moved, c.moved);
    EXPECT_EQ(SpanOf(range), c.to);
  }

  const Range first = At(0, 7);
  const Range second = At(7, 11);
  int order = 99;
  EXPECT_EQ(first->CompareEndpoints(kEnd, second.get(), kStart, &order), S_OK);
  EXPECT_EQ(order, 0);
  EXPECT_EQ(first->CompareEndpoints(kStart, second.get(), kStart, &order), S_OK);
  EXPECT_LT(order, 0);
  EXPECT_EQ(second->CompareEndpoints(kEnd, first.get(), kEnd, &order), S_OK);
  EXPECT_GT(order, 0);
  Range copy;
  ASSERT_EQ(first->Clone(copy.Out()), S_OK);
  BOOL same = FALSE;
  EXPECT_EQ(first->Compare(copy.get(), &same), S_OK);
  EXPECT_TRUE(same);
  EXPECT_EQ(first->Compare(second.get(), &same), S_OK);
  EXPECT_FALSE(same);

  EXPECT_EQ(copy->MoveEndpointByRange(kEnd, second.get(), kEnd), S_OK);
  EXPECT_EQ(SpanOf(copy), Span(0, 11));
  EXPECT_EQ(copy->MoveEndpointByRange(kStart, second.get(), kEnd), S_OK);  // past the end
  EXPECT_EQ(SpanOf(copy), Span(11, 11));
}

TEST_F(TextViewUiaTest, RangesHaveRectanglesInSightAndTheViewAsTheirElement) {
  Show(kLines);
  RECT client{};
  GetClientRect(view_, &client);
  MapWindowPoints(view_, nullptr, reinterpret_cast<POINT*>(&client), 2);
  struct Case {
    Span span;
    LONG rectangles;
    bool empty;
  };
  const Case cases[] = {{{0, 15}, 4, false}, {{7, 11}, 1, false}, {{8, 8}, 1, true}};
  for (const Case& c : cases) {
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(At(c.span.first, c.span.second)->GetBoundingRectangles(&array), S_OK);
    LONG last = -1;
    SafeArrayGetUBound(array, 1, &last);
    EXPECT_EQ(last + 1, 4 * c.rectangles);
    for (LONG i = 0; i + 3 <= last; i += 4) {
      double box[4] = {};
      for (LONG j = 0; j < 4; ++j) {
        LONG index = i + j;
        SafeArrayGetElement(array, &index, &box[j]);
      }
      EXPECT_GE(box[0], client.left);
      EXPECT_LE(box[0] + box[2], client.right);
      EXPECT_GE(box[1], client.top);
      EXPECT_GT(box[3], 0);
      EXPECT_EQ(box[2] == 0, c.empty);
    }
    SafeArrayDestroy(array);
  }
  IRawElementProviderSimple* enclosing = nullptr;
  ASSERT_EQ(Document()->GetEnclosingElement(&enclosing), S_OK);
  EXPECT_EQ(enclosing, element_);
  enclosing->Release();

  // A range outlives its window without harm.
  const Range range = Document();
  DestroyWindow(view_);
  view_ = nullptr;
  BSTR text = nullptr;
  EXPECT_EQ(range->GetText(-1, &text), uia::kElementNotAvailable);
}

TEST_F(TextViewUiaTest, A200MiBTextIsHandedOutInPartsAndWalkedFromBothEnds) {
  const std::u16string line = u"1011011101111011111\r\n";
  std::u16string big;
  big.reserve((std::size_t{200} << 20) / sizeof(char16_t));
  while (big.size() + line.size() + 3 < big.capacity()) big += line;
  big += u"end";
  const std::size_t size = big.size();
  const std::size_t cut = big.find(u'\r', tuning::kAccessibleTextChars);
  const std::wstring head(big.begin(), big.begin() + static_cast<std::ptrdiff_t>(cut));
  ASSERT_TRUE(TakeTextViewText(view_, big));

  const Range document = Document();
  EXPECT_EQ(TextOf(document), head);
  EXPECT_EQ(TextOf(document, 19), L"1011011101111011111");
  EXPECT_EQ(Value(), head);

  // From the end: the last line, a line back, a page back.
  const Range end = At(size, size);
  int moved = 0;
  EXPECT_EQ(end->Move(uia::TextUnit_Character, 1, &moved), S_OK);
  EXPECT_EQ(moved, 0);
  EXPECT_EQ(end->ExpandToEnclosingUnit(uia::TextUnit_Line), S_OK);
  EXPECT_EQ(TextOf(end), L"end");
  EXPECT_EQ(end->Move(uia::TextUnit_Line, -1, &moved), S_OK);
  EXPECT_EQ(moved, -1);
  EXPECT_EQ(TextOf(end), L"1011011101111011111\r\n");
  EXPECT_EQ(end->MoveEndpointByUnit(kStart, uia::TextUnit_Page, -1, &moved), S_OK);
  EXPECT_EQ(moved, -1);
  EXPECT_EQ(SpanOf(end).second, size - 3);

  // From the start: a thousand lines on, then into sight at the top.
  const Range start = At(0, 0);
  EXPECT_EQ(start->Move(uia::TextUnit_Line, -1, &moved), S_OK);
  EXPECT_EQ(moved, 0);
  EXPECT_EQ(start->Move(uia::TextUnit_Line, 1000, &moved), S_OK);
  EXPECT_EQ(moved, 1000);
  EXPECT_EQ(SpanOf(start), Span(1000 * line.size(), 1000 * line.size()));
  EXPECT_EQ(At(size, size)->ScrollIntoView(TRUE), S_OK);
  SAFEARRAY* visible = nullptr;
  ASSERT_EQ(text_->GetVisibleRanges(&visible), S_OK);
  LONG index = 0;
  Range shown;
  ASSERT_EQ(SafeArrayGetElement(visible, &index, shown.Out()), S_OK);
  SafeArrayDestroy(visible);
  int order = 99;
  EXPECT_EQ(shown->CompareEndpoints(kEnd, document.get(), kEnd, &order), S_OK);
  EXPECT_EQ(order, 0);
}

}  // namespace
