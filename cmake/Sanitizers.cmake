# qvset_sanitizers: AddressSanitizer and UndefinedBehaviorSanitizer when QVSET_SANITIZE is on.
add_library(qvset_sanitizers INTERFACE)
if(QVSET_SANITIZE)
  set(_qvset_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(qvset_sanitizers INTERFACE ${_qvset_san})
  target_link_options(qvset_sanitizers INTERFACE ${_qvset_san})
endif()
# The fuzz targets' coverage instrumentation, on every library they link (the targets add the driver).
if(QVSET_BUILD_FUZZ)
  target_compile_options(qvset_sanitizers INTERFACE -fsanitize=fuzzer-no-link)
endif()
