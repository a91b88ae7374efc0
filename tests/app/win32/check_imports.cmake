# Fails when a Windows program imports a DLL that is not part of Windows:
# the player copies one .exe into the game folder and nothing else.
#   cmake -DOBJDUMP=<objdump> -DPROGRAMS=<a.exe;b.exe> -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)

set(system_dlls
  kernel32.dll msvcrt.dll user32.dll gdi32.dll shell32.dll ole32.dll oleaut32.dll comctl32.dll advapi32.dll
  windowscodecs.dll gdiplus.dll msimg32.dll uxtheme.dll version.dll shlwapi.dll comdlg32.dll bcrypt.dll ws2_32.dll)

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
      message(SEND_ERROR "${program} imports ${dll}, which is not a Windows system DLL")
      set(failed TRUE)
    endif()
  endforeach()
endforeach()
if(failed)
  message(FATAL_ERROR "a Windows program needs a DLL that Windows does not have")
endif()
