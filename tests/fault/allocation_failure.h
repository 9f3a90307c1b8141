#pragma once
// Allocation failures on request, through the test program's own global operator new: while
// armed, the allocations of at least a given size are counted and one of them throws
// std::bad_alloc, as a large allocation does when memory runs out.

#include <cstddef>

// Fails the allocation of at least `minBytes` bytes that comes after `skip` such allocations,
// until DisarmAllocationFailure.
void ArmAllocationFailure(std::size_t minBytes, int skip);
// Stops failing allocations; whether the armed failure was thrown.
bool DisarmAllocationFailure();

// While one exists, allocations are neither counted nor failed: for the test's own
// bookkeeping amid the steps under test.
class AllocationFailurePause {
 public:
  AllocationFailurePause();
  ~AllocationFailurePause();
  AllocationFailurePause(const AllocationFailurePause&) = delete;
  AllocationFailurePause& operator=(const AllocationFailurePause&) = delete;
};
