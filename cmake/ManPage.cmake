# Writes PROGRAM's man page with help2man and compresses it: cmake -DPROGRAM=... -DNAME="name line"
# -DINCLUDE=x.h2m -DOUTPUT=x.1.gz -DHELP2MAN=... -DGZIP=... -P ManPage.cmake
# For a program with commands (qvctl), the page also gets a COMMANDS section that holds each command's own
# --help, taken from the command list of the overview, so that the page lists every command there is.
get_filename_component(_program_name ${PROGRAM} NAME)
get_filename_component(_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${_dir})
set(_include ${_dir}/${_program_name}.h2m)
file(READ ${INCLUDE} _sections)

# roff text that shows a help text as it is: backslashes escaped, no line read as a request.
function(_as_roff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE _overview RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed")
endif()
string(FIND "${_overview}" "\ncommands:\n" _at)
if(_at GREATER -1)
  string(SUBSTRING "${_overview}" ${_at} -1 _list)
  string(REPLACE "\n" ";" _lines "${_list}")
  set(_commands "[COMMANDS]\n")
  foreach(_line IN LISTS _lines)
    # "  ticket new        write a ..." : the name is the words before the gap of three blanks.
    if(_line MATCHES "^  ([^ ]+( [^ ]+)*)   ")
      set(_command ${CMAKE_MATCH_1})
      string(REPLACE " " ";" _words "${_command}")
      execute_process(COMMAND ${PROGRAM} ${_words} --help OUTPUT_VARIABLE _help RESULT_VARIABLE _status)
      if(NOT _status EQUAL 0)
        message(FATAL_ERROR "${PROGRAM} ${_command} --help failed")
      endif()
      _as_roff("${_help}" _help)
      string(APPEND _commands ".SS \"${_command}\"\n.nf\n${_help}.fi\n")
    endif()
  endforeach()
  set(_sections "${_commands}\n${_sections}")
endif()
file(WRITE ${_include} "${_sections}")

string(REGEX REPLACE "\\.gz$" "" _page ${OUTPUT})
execute_process(
  COMMAND ${HELP2MAN} --locale=C.UTF-8 --no-info --section=1 --name=${NAME} --include=${_include} --output=${_page} ${PROGRAM}
  RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${PROGRAM}")
endif()
execute_process(COMMAND ${GZIP} -9nf ${_page} RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${_page}")
endif()
