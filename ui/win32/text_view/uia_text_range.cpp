#include "ui/win32/text_view/uia_text_range.h"

#include <algorithm>
#include <climits>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "ui/win32/text_view/accessible_text.h"
#include "ui/win32/text_view/text_units.h"
#include "ui/win32/text_view/uia_functions.h"
#include "ui/win32/text_view/view_state.h"

namespace {

// Asks a range whether it is one of this file's, and for its object.
// {714f6177-765a-4807-834c-51bf6896296d}
constexpr IID kIidTextRange = {
    0x714f6177, 0x765a, 0x4807, {0x83, 0x4c, 0x51, 0xbf, 0x68, 0x96, 0x29, 0x6d}};
constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509);  // UIA_E_INVALIDOPERATION

// The view's unit for UI Automation's: a format run is a word here, the next larger unit.
TextUnit UnitOf(uia::TextUnit unit) {
  switch (unit) {
    case uia::TextUnit_Character:
      return TextUnit::kCharacter;
    case uia::TextUnit_Format:
    case uia::TextUnit_Word:
      return TextUnit::kWord;
    case uia::TextUnit_Line:
      return TextUnit::kLine;
    case uia::TextUnit_Paragraph:
      return TextUnit::kParagraph;
    case uia::TextUnit_Page:
      return TextUnit::kPage;
    default:
      return TextUnit::kDocument;
  }
}

int ToInt(long long count) {
  return static_cast<int>(std::clamp<long long>(count, INT_MIN, INT_MAX));
}

class TextRange final : public uia::ITextRangeProvider {
 public:
  TextRange(IRawElementProviderSimple* element, HWND view, std::size_t start, std::size_t end)
      : element_(element), view_(view), start_(start), end_(std::max(start, end)) {
    element_->AddRef();
  }
  TextRange(const TextRange&) = delete;
  TextRange& operator=(const TextRange&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == uia::kIidTextRangeProvider || iid == kIidTextRange) {
      *out = static_cast<uia::ITextRangeProvider*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // ITextRangeProvider
  HRESULT STDMETHODCALLTYPE Clone(uia::ITextRangeProvider** clone) override {
    if (clone == nullptr) return E_POINTER;
    *clone = NewTextRange(element_, view_, start_, end_);
    return *clone != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE Compare(uia::ITextRangeProvider* range, BOOL* same) override {
    if (same == nullptr) return E_POINTER;
    *same = FALSE;
    const TextView* view = Clamped();
    if (view == nullptr) return uia::kElementNotAvailable;
    TextRange* other = Of(range);
    if (other == nullptr) return E_INVALIDARG;
    other->Clamped();
    *same = other->view_ == view_ && other->start_ == start_ && other->end_ == end_ ? TRUE : FALSE;
    other->Release();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CompareEndpoints(uia::TextPatternRangeEndpoint endpoint,
                                             uia::ITextRangeProvider* target,
                                             uia::TextPatternRangeEndpoint targetEndpoint,
                                             int* order) override {
    if (order == nullptr) return E_POINTER;
    *order = 0;
    if (Clamped() == nullptr) return uia::kElementNotAvailable;
    TextRange* other = Of(target);
    if (other == nullptr) return E_INVALIDARG;
    other->Clamped();
    const bool sameView = other->view_ == view_;
    const std::size_t mine = Endpoint(endpoint);
    const std::size_t theirs = other->Endpoint(targetEndpoint);
    other->Release();
    if (!sameView) return E_INVALIDARG;
    *order = mine < theirs ? -1 : mine > theirs ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(uia::TextUnit unit) override {
    const TextView* view = Clamped();
    if (view == nullptr) return uia::kElementNotAvailable;
    const UnitSpan span = EnclosingUnit(view->lines, UnitOf(unit), start_, PageLines(*view));
    start_ = span.start;
    end_ = span.end;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE FindAttribute(TEXTATTRIBUTEID attribute, VARIANT value,
                                          BOOL /*backward*/,
                                          uia::ITextRangeProvider** found) override {
    if (found == nullptr) return E_POINTER;
    *found = nullptr;
    if (Clamped() == nullptr) return uia::kElementNotAvailable;
    // The whole text is read-only; no other attribute is known.
    if (attribute == uia::kIsReadOnlyAttribute && value.vt == VT_BOOL &&
        value.boolVal == VARIANT_TRUE) {
      return Clone(found);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE FindText(BSTR /*text*/, BOOL /*backward*/, BOOL /*ignoreCase*/,
                                     uia::ITextRangeProvider** found) override {
    if (found == nullptr) return E_POINTER;
    *found = nullptr;
    return E_NOTIMPL;  // a search of a whole large text would not answer in time
  }
  HRESULT STDMETHODCALLTYPE GetAttributeValue(TEXTATTRIBUTEID attribute, VARIANT* value) override {
    if (value == nullptr) return E_POINTER;
    VariantInit(value);
    if (Clamped() == nullptr) return uia::kElementNotAvailable;
    if (attribute == uia::kIsReadOnlyAttribute) {
      value->vt = VT_BOOL;
      value->boolVal = VARIANT_TRUE;
      return S_OK;
    }
    const HRESULT result = uia::GetReservedNotSupportedValue(&value->punkVal);
    if (SUCCEEDED(result)) value->vt = VT_UNKNOWN;
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY** rectangles) override {
    if (rectangles == nullptr) return E_POINTER;
    *rectangles = nullptr;
    const TextView* view = Clamped();
    if (view == nullptr) return uia::kElementNotAvailable;
    std::vector<RECT> rows;
    try {
      rows = RowRectangles(*view);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(4 * rows.size()));
    if (array == nullptr) return E_OUTOFMEMORY;
    LONG index = 0;
    for (RECT row : rows) {
      MapWindowPoints(view_, nullptr, reinterpret_cast<POINT*>(&row), 2);
      for (double value : {double(row.left), double(row.top), double(row.right - row.left),
                           double(row.bottom - row.top)}) {
        SafeArrayPutElement(array, &index, &value);
        ++index;
      }
    }
    *rectangles = array;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetEnclosingElement(IRawElementProviderSimple** element) override {
    if (element == nullptr) return E_POINTER;
    element_->AddRef();
    *element = element_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetText(int maxLength, BSTR* text) override {
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    if (maxLength < -1) return E_INVALIDARG;
    const TextView* view = Clamped();
    if (view == nullptr) return uia::kElementNotAvailable;
    try {
      std::u16string scratch;
      std::u16string_view part = AccessibleText(view->lines, start_, end_, scratch);
      if (maxLength >= 0) part = part.substr(0, static_cast<std::size_t>(maxLength));
      *text = SysAllocStringLen(reinterpret_cast<const wchar_t*>(part.data()),
                                static_cast<UINT>(part.size()));
    } catch (const std::bad_alloc&) {
    }
    return *text != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE Move(uia::TextUnit unit, int count, int* moved) override {
    if (moved == nullptr) return E_POINTER;
    *moved = 0;
    const TextView* view = Clamped();
    if (view == nullptr) return uia::kElementNotAvailable;
    const TextLines& lines = view->lines;
    const TextUnit own = UnitOf(unit);
    const std::size_t page = PageLines(*view);
    if (count == 0) return S_OK;
    if (start_ == end_) {  // an empty range moves as a position and stays empty
      const UnitMove step = MoveByUnits(lines, own, start_, count, page);
      start_ = end_ = step.position;
      *moved = ToInt(step.moved);
      return S_OK;
    }
    // A range moves from the start of its first unit to the start of another, and becomes it.
    const std::size_t from = EnclosingUnit(lines, own, start_, page).start;
    UnitMove step = MoveByUnits(lines, own, from, count, page);
    const std::size_t size = lines.Size();
    // The text's end starts a unit only after a last line break; else the move stops short.
    if (step.position == size && step.moved > 0 &&
        EnclosingUnit(lines, own, size, page).start != size) {
      step =
          step.moved == 1 ? UnitMove{from, 0} : MoveByUnits(lines, own, from, step.moved - 1, page);
    }
    const UnitSpan span = EnclosingUnit(lines, own, step.position, page);
    start_ = step.position;
    end_ = std::max(start_, span.end);
    *moved = ToInt(step.moved);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(uia::TextPatternRangeEndpoint endpoint,
                                               uia::TextUnit unit, int count, int* moved) override {
    if (moved == nullptr) return E_POINTER;
    *moved = 0;
    const TextView* view = Clamped();
    if (view == nullptr) return uia::kElementNotAvailable;
    const UnitMove step =
        MoveByUnits(view->lines, UnitOf(unit), Endpoint(endpoint), count, PageLines(*view));
    SetEndpoint(endpoint, step.position);
    *moved = ToInt(step.moved);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE
  MoveEndpointByRange(uia::TextPatternRangeEndpoint endpoint, uia::ITextRangeProvider* target,
                      uia::TextPatternRangeEndpoint targetEndpoint) override {
    if (Clamped() == nullptr) return uia::kElementNotAvailable;
    TextRange* other = Of(target);
    if (other == nullptr) return E_INVALIDARG;
    other->Clamped();
    const bool sameView = other->view_ == view_;
    const std::size_t position = other->Endpoint(targetEndpoint);
    other->Release();
    if (!sameView) return E_INVALIDARG;
    SetEndpoint(endpoint, position);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Select() override {
    TextView* view = Clamped();
    if (view == nullptr) return uia::kElementNotAvailable;
    ::Select(*view, start_, end_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE AddToSelection() override { return kInvalidOperation; }
  HRESULT STDMETHODCALLTYPE RemoveFromSelection() override { return kInvalidOperation; }
  HRESULT STDMETHODCALLTYPE ScrollIntoView(BOOL alignToTop) override {
    TextView* view = Clamped();
    if (view == nullptr) return uia::kElementNotAvailable;
    const std::size_t position = alignToTop ? start_ : end_;
    const std::size_t line = view->lines.LineOf(position);
    const std::size_t rows = VisibleRows(*view);
    // The range's first line at the top, or its last line at the bottom; then across.
    ScrollTo(*view, alignToTop ? line : (line + 1 > rows ? line + 1 - rows : 0), view->left);
    ::ScrollIntoView(*view, position);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetChildren(SAFEARRAY** children) override {
    if (children == nullptr) return E_POINTER;
    *children = SafeArrayCreateVector(VT_UNKNOWN, 0, 0);
    return *children != nullptr ? S_OK : E_OUTOFMEMORY;
  }

 private:
  ~TextRange() { element_->Release(); }

  // The view, with the range clamped to its text; nullptr when the window is gone.
  TextView* Clamped() {
    TextView* view = TextViewOf(view_);
    if (view == nullptr) return nullptr;
    const std::size_t size = view->lines.Size();
    end_ = std::min(end_, size);
    start_ = std::min(start_, end_);
    return view;
  }

  // `range` as one of this file's ranges, with a reference; nullptr for any other range.
  static TextRange* Of(uia::ITextRangeProvider* range) {
    void* own = nullptr;
    if (range == nullptr || FAILED(range->QueryInterface(kIidTextRange, &own))) return nullptr;
    return static_cast<TextRange*>(static_cast<uia::ITextRangeProvider*>(own));
  }

  static std::size_t PageLines(const TextView& view) { return VisibleRows(view); }

  std::size_t Endpoint(uia::TextPatternRangeEndpoint endpoint) const {
    return endpoint == uia::TextPatternRangeEndpoint_Start ? start_ : end_;
  }

  // Moves one endpoint; an endpoint moved past the other takes that one along.
  void SetEndpoint(uia::TextPatternRangeEndpoint endpoint, std::size_t position) {
    if (endpoint == uia::TextPatternRangeEndpoint_Start) {
      start_ = position;
      end_ = std::max(end_, position);
    } else {
      end_ = position;
      start_ = std::min(start_, position);
    }
  }

  // The client rectangles of the range's part of each line in sight, clipped to the view; a
  // line break in the range adds a character cell, an empty range gets a rectangle of no width.
  std::vector<RECT> RowRectangles(const TextView& view) const {
    std::vector<RECT> rows;
    const TextLines& lines = view.lines;
    const RECT client = ClientRect(view);
    const std::size_t first = std::max(lines.LineOf(start_), view.topLine);
    const std::size_t last =
        std::min({lines.LineOf(end_), view.topLine + VisibleRows(view), lines.LineCount() - 1});
    for (std::size_t line = first; line <= last; ++line) {
      const std::size_t lineEnd = LineEnd(lines, line);
      const std::size_t from = std::max(start_, lines.LineStart(line));
      const std::size_t to = std::min(end_, lineEnd);
      const bool takesBreak = end_ > lineEnd;
      if (from > to || (from == to && !takesBreak && start_ != end_)) continue;
      RECT row = CharacterRect(view, from);
      if (takesBreak) {
        row.right = CharacterRect(view, to).right;
      } else {
        row.right = to > from ? CharacterRect(view, to - 1).right : row.left;
      }
      row.left = std::max(row.left, client.left);
      row.right = std::min(row.right, client.right);
      row.bottom = std::min(row.bottom, client.bottom);
      if (row.left <= row.right && row.top < row.bottom) rows.push_back(row);
    }
    return rows;
  }

  LONG references_ = 1;
  IRawElementProviderSimple* element_;  // holds a reference
  HWND view_;
  std::size_t start_;
  std::size_t end_;
};

}  // namespace

uia::ITextRangeProvider* NewTextRange(IRawElementProviderSimple* element, HWND view,
                                      std::size_t start, std::size_t end) {
  return new (std::nothrow) TextRange(element, view, start, end);
}
