# The Windows installer qvset-VERSION-win64.msi of the win preset (target msi, not built by default):
# wixl (Debian's wixl, from msitools) builds it from data/windows/qvset.wxs.in with the stripped programs,
# the icon and README.txt; then msibuild gives the database the code page 936 (GBK) and writes the
# Start-menu shortcut's Chinese name and description, the launcher entry's own, into it. wixl sets only
# the summary's code page, and a string it cannot convert is written empty, so the Chinese texts come
# after the code page.
find_program(QVSET_WIXL wixl)
find_program(QVSET_MSIBUILD msibuild)
if(NOT QVSET_WIXL OR NOT QVSET_MSIBUILD OR NOT TARGET qvset OR NOT TARGET qvctl)
  message(STATUS "No msi target: it needs wixl and msibuild (scripts/install-deps.sh) and both programs")
  return()
endif()

# zh_cn_entry(KEY VAR): the launcher entry's KEY[zh_CN] value.
function(zh_cn_entry key var)
  file(STRINGS ${PROJECT_SOURCE_DIR}/data/qvset.desktop line REGEX "^${key}\\[zh_CN\\]=" ENCODING UTF-8)
  string(REGEX REPLACE "^[^=]*=" "" line "${line}")
  set(${var} "${line}" PARENT_SCOPE)
endfunction()
zh_cn_entry(Name _qvset_shortcut_name)
zh_cn_entry(Comment _qvset_shortcut_description)

set(QVSET_MSI ${PROJECT_BINARY_DIR}/qvset-${PROJECT_VERSION}-win64.msi)
set(_msi_work ${PROJECT_BINARY_DIR}/msi)
configure_file(${PROJECT_SOURCE_DIR}/data/windows/qvset.wxs.in ${_msi_work}/qvset.wxs @ONLY)
file(WRITE ${_msi_work}/_ForceCodepage.idt "\r\n\r\n936\t_ForceCodepage\r\n")
add_custom_command(OUTPUT ${QVSET_MSI}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${QVSET_MSI}
  COMMAND ${CMAKE_STRIP} -o ${_msi_work}/qvctl.exe $<TARGET_FILE:qvctl>
  COMMAND ${CMAKE_STRIP} -o ${_msi_work}/qvset.exe $<TARGET_FILE:qvset>
  # wixl finds the files relative to the working folder.
  COMMAND ${QVSET_WIXL} -a x64 -D Qvctl=msi/qvctl.exe -D Qvset=msi/qvset.exe -D Icon=src/qvset.ico
    -D Readme=README.txt -o ${QVSET_MSI} msi/qvset.wxs
  COMMAND ${QVSET_MSIBUILD} ${QVSET_MSI} -i ${_msi_work}/_ForceCodepage.idt
  COMMAND ${QVSET_MSIBUILD} ${QVSET_MSI} -q
    "UPDATE Shortcut SET Name='qvset|${_qvset_shortcut_name}', Description='${_qvset_shortcut_description}' WHERE Shortcut='qvset.lnk'"
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
  DEPENDS qvctl qvset qvset_windows_icon ${_msi_work}/qvset.wxs ${PROJECT_BINARY_DIR}/README.txt
    ${PROJECT_SOURCE_DIR}/data/qvset.desktop
  COMMENT "Building the Windows installer qvset-${PROJECT_VERSION}-win64.msi"
  VERBATIM)
add_custom_target(msi DEPENDS ${QVSET_MSI})
