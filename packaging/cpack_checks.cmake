# Read by cpack before it packages: refuses a build whose installed files name another prefix.
if(NOT CPACK_DBXR_CONFIGURED_PREFIX STREQUAL CPACK_PACKAGING_INSTALL_PREFIX)
    message(FATAL_ERROR "The build is configured for ${CPACK_DBXR_CONFIGURED_PREFIX}, the "
        "package installs into ${CPACK_PACKAGING_INSTALL_PREFIX}: configure with "
        "-DCMAKE_INSTALL_PREFIX=${CPACK_PACKAGING_INSTALL_PREFIX} (tools/package.sh does).")
endif()
