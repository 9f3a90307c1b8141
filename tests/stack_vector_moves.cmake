# Fails when a Windows program moves a 32- or 64-byte vector register to or from the stack with
# an aligned move. Windows aligns the stack to 16 bytes only (GCC bug 54412); Debian's mingw-w64
# GCC makes such moves unaligned (Debian bug 939559). Wine's stacks happen to be aligned, so only
# reading the code tells.
#
#   cmake -DOBJDUMP=... -DPROGRAMS="a.exe;b.exe" -P stack_vector_moves.cmake
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${program}
                  OUTPUT_VARIABLE code RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${program}")
  endif()
  string(REGEX MATCHALL "vmov(dqa|dqa32|dqa64|aps|apd)[ \t]+[^\n]*%[yz]mm[^\n]*" aligned "${code}")
  set(onStack "")
  foreach(move IN LISTS aligned)
    if(move MATCHES "\\(%r[sb]p")
      list(APPEND onStack "${move}")
    endif()
  endforeach()
  if(onStack)
    list(JOIN onStack "\n  " shown)
    message(FATAL_ERROR "${program}: aligned moves of vector registers on the stack:\n  ${shown}")
  endif()
  message(STATUS "${program}: no aligned move of a 32- or 64-byte register on the stack")
endforeach()
