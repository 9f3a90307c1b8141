#pragma once
// The system's information sound, played on a thread of its own that waits from the start, so
// that no caller ever waits for the sound system (the first sound of a process may load it for
// a while) nor for a thread to start.

#include <condition_variable>
#include <mutex>
#include <thread>

class InformationSound {
 public:
  // Starts the thread; when it cannot be started, Play plays on the caller's thread.
  InformationSound();
  // Ends the thread once the sounds asked for have been played.
  ~InformationSound();
  InformationSound(const InformationSound&) = delete;
  InformationSound& operator=(const InformationSound&) = delete;

  // Asks for the sound once; returns at once.
  void Play();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  int pending_ = 0;
  bool ending_ = false;
  std::thread thread_;
};
