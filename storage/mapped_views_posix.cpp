// Mapped views of files on POSIX systems, and what becomes of them when their file is cut short.
//
// Nothing here keeps another program from cutting a file short while it is mapped (Windows
// refuses that), and reading a page that is no longer in the file raises SIGBUS, which would
// end the process with a stray result beside its file. Every view is therefore watched: on a
// fault inside one, a page of zeros takes the lost page's place, the read goes on, and the
// view tells afterwards that it was cut short, so that the reader can report the file
// unreadable.

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>

#include "storage/platform.h"

namespace platform {
namespace {

// The views being read: few at a time (one for each file being read).
struct WatchedView {
  std::atomic<bool> taken{false};
  std::atomic<std::uintptr_t> begin{0};  // 0 while the slot holds no view
  std::atomic<std::uintptr_t> end{0};
  std::atomic<bool> cutShort{false};
};
WatchedView watched[16];
std::uintptr_t pageBytes = 4096;
struct sigaction previousAction {};

WatchedView* WatchedAt(std::uintptr_t address) {
  for (WatchedView& view : watched) {
    const std::uintptr_t begin = view.begin.load();
    if (begin != 0 && address >= begin && address < view.end.load()) return &view;
  }
  return nullptr;
}

void OnBusError(int signal, siginfo_t* info, void* /*context*/) {
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  WatchedView* const view = info->si_code > 0 ? WatchedAt(address) : nullptr;
  if (view != nullptr) {
    // Zeros in place of the lost page (mmap is a plain system call on the systems this runs
    // on); returning tries the read again.
    void* const page = reinterpret_cast<void*>(address & ~(pageBytes - 1));
    if (::mmap(page, pageBytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
        MAP_FAILED) {
      view->cutShort.store(true);
      return;
    }
  }
  // Not a watched view: as before. A fault comes again when the read is tried again; a signal
  // sent by another program is sent on.
  ::sigaction(SIGBUS, &previousAction, nullptr);
  if (info->si_code <= 0) ::raise(signal);
}

void WatchForBusErrors() {
  static std::once_flag once;
  std::call_once(once, [] {
    pageBytes = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previousAction);
  });
}

// Watches the view at [begin, end); unwatched (but still mapped) when every slot is taken.
void Watch(std::uintptr_t begin, std::uintptr_t end) {
  for (WatchedView& view : watched) {
    bool taken = false;
    if (!view.taken.compare_exchange_strong(taken, true)) continue;
    view.cutShort.store(false);
    view.end.store(end);
    view.begin.store(begin);  // last: from here on the handler sees the view
    return;
  }
}

}  // namespace

std::optional<MappedView> NativeFile::MapForReading(std::uint64_t offset, std::size_t size) {
  WatchForBusErrors();
  void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, static_cast<int>(handle_),
                      static_cast<off_t>(offset));
  if (view == MAP_FAILED) return std::nullopt;
  const auto begin = reinterpret_cast<std::uintptr_t>(view);
  Watch(begin, begin + size);
  return MappedView(view, size);
}

bool MappedView::CutShort() const {
  const WatchedView* const view = WatchedAt(reinterpret_cast<std::uintptr_t>(base_));
  return view != nullptr && view->cutShort.load();
}

MappedView::~MappedView() {
  if (base_ == nullptr) return;
  if (WatchedView* const view = WatchedAt(reinterpret_cast<std::uintptr_t>(base_))) {
    view->begin.store(0);
    view->taken.store(false);
  }
  ::munmap(const_cast<void*>(base_), size_);
}

}  // namespace platform
