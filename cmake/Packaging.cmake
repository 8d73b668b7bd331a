# CPack: the Debian package from a Linux build (qvset_<version>_<arch>.deb) and the zip from the Windows
# cross build (qvset-<version>-win64.zip). Both take whatever the install rules install, so a program that
# gains an install() rule is in the next package without a change here.

set(CPACK_PACKAGE_NAME qvset)
set(CPACK_PACKAGE_VENDOR "qvset developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME qvset-${PROJECT_VERSION}-win64)
  # Windows' own editors expect CR LF.
  configure_file(${PROJECT_SOURCE_DIR}/data/windows/README.txt.in ${PROJECT_BINARY_DIR}/README.txt @ONLY
    NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
  include(Msi)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QVSET_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries the programs link come from dpkg-shlibdeps; Qt's platform plugins and the CJK font are
  # loaded at run time, so they are named here.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, cups")
  # The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the extended description, in English and
  # in Chinese.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "qvctl (command line) and qvset (window, in Simplified Chinese) set a QV6
thermal ticket printer's stored switches, ticket geometry and print-quality
tuning, save and apply ticket descriptions, print self-tests and pin tests,
and send raw hex commands. Every command reaches the printer as one RAW
document through CUPS, over whatever port the printer's queue uses.

QV6 热敏票据打印机的设置和测试工具：qvctl（命令行）和 qvset（中文窗口）。
设置打印机的开关、票据尺寸和打印质量参数，保存和设置票样，打印自检页和
针测试页，发送十六进制指令。每条指令都作为一个 RAW 文档经 CUPS 发往打印机。")
endif()

include(CPack)
