# Warnings shared by every target of the project (not by GoogleTest).
add_library(zq_warnings INTERFACE)
if(MSVC)
  target_compile_options(zq_warnings INTERFACE /W4 /permissive- /utf-8)
  target_compile_definitions(zq_warnings INTERFACE _CRT_SECURE_NO_WARNINGS)
else()
  target_compile_options(zq_warnings INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
endif()
if(WIN32)
  # Unicode Win32 API throughout, and no min/max macros in our code.
  target_compile_definitions(zq_warnings INTERFACE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
                                                   _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()
