#include "storage/first_touch.h"

#include <new>
#include <system_error>
#include <thread>

namespace {

constexpr std::size_t kPageBytes = 4096;  // the smallest page of the systems the program runs on

void TouchPages(char* from, const char* to) {
  for (char* page = from; page < to; page += kPageBytes) *page = 0;
}

}  // namespace

void TouchOnTwoThreads(char* bytes, std::size_t size) noexcept {
  char* const middle = bytes + size / 2;
  char* const end = bytes + size;
  std::thread helper;
  try {
    helper = std::thread(TouchPages, middle, end);
  } catch (const std::system_error&) {
    TouchPages(middle, end);  // no thread to be had
  } catch (const std::bad_alloc&) {
    TouchPages(middle, end);  // nor the memory to start one
  }
  TouchPages(bytes, middle);
  if (helper.joinable()) helper.join();
}
