# ReleaseArchive.cmake: the archive a server admin installs from, and its debug symbols.
set(QV_PACKAGE_TARGET "" CACHE STRING "Target named in the release archive (linux-i386, windows-x86); empty makes none")
set(QV_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package CACHE PATH "Where the release archives are written")

if(QV_PACKAGE_TARGET)
    set(QV_PACKAGE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${QV_PACKAGE_TARGET})
    if(WIN32)
        set(QV_PACKAGE_FORMAT zip)
    else()
        set(QV_PACKAGE_FORMAT tar.gz)
    endif()
    set(QV_PACKAGE_ARCHIVE ${QV_PACKAGE_DIR}/${QV_PACKAGE_NAME}.${QV_PACKAGE_FORMAT})
    set(QV_PACKAGE_DEBUG_ARCHIVE ${QV_PACKAGE_DIR}/${QV_PACKAGE_NAME}-debug.${QV_PACKAGE_FORMAT})
    add_custom_command(
        OUTPUT ${QV_PACKAGE_ARCHIVE} ${QV_PACKAGE_DEBUG_ARCHIVE}
        COMMAND sh ${PROJECT_SOURCE_DIR}/tools/package.sh
            ${CMAKE_OBJCOPY} $<TARGET_FILE:Quorvex_PLG> ${QV_PACKAGE_NAME} ${QV_PACKAGE_FORMAT}
            ${CMAKE_BINARY_DIR}/package-stage ${QV_PACKAGE_DIR}
            ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/packaging/README-server.md
        DEPENDS Quorvex_PLG ${PROJECT_SOURCE_DIR}/tools/package.sh
            ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/packaging/README-server.md
        COMMENT "Release archive ${QV_PACKAGE_NAME}.${QV_PACKAGE_FORMAT}"
        VERBATIM)
    add_custom_target(release-archive ALL DEPENDS ${QV_PACKAGE_ARCHIVE} ${QV_PACKAGE_DEBUG_ARCHIVE})
endif()
