# Fails when a Windows program imports a DLL that is not one of Windows'
# known DLLs: the player copies one .exe into the game folder and nothing
# else, and that folder may hold other DLLs.
#   cmake -DOBJDUMP=<objdump> -DPROGRAMS=<a.exe;b.exe> -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)

# Only DLLs that Windows always takes from its own list of known DLLs: a DLL
# imported statically is loaded, with whatever it imports or forwards to,
# before main can restrict the search to the system folder, so anything else
# could come from the game folder. Other system DLLs are loaded at run time
# (platform/system_library_win32.h).
set(system_dlls kernel32.dll msvcrt.dll user32.dll gdi32.dll)

set(failed FALSE)
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND "${OBJDUMP}" -p "${program}" OUTPUT_VARIABLE dump RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(SEND_ERROR "${OBJDUMP} could not read ${program}")
    set(failed TRUE)
    continue()
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  if(NOT imports)
    message(SEND_ERROR "${program}: no imports found; is it a Windows program?")
    set(failed TRUE)
  endif()
  foreach(import IN LISTS imports)
    string(REGEX REPLACE "DLL Name: *" "" dll "${import}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    if(dll IN_LIST system_dlls)
      message(STATUS "${program}: ${dll}")
    else()
      message(SEND_ERROR "${program} imports ${dll}, which is not one of the known system DLLs it may import")
      set(failed TRUE)
    endif()
  endforeach()
endforeach()
if(failed)
  message(FATAL_ERROR "a Windows program imports a DLL other than the known system DLLs")
endif()
