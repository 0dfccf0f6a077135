# SPDX-License-Identifier: MIT
# `cpack -G DEB` in a build folder makes vellora_VERSION_ARCH.deb; its
# dependencies come from the shared libraries the programs link.
set(CPACK_PACKAGE_NAME vellora)
set(CPACK_PACKAGE_VENDOR "The Vellora developers")
set(CPACK_PACKAGE_CONTACT "The Vellora developers <vellora@vellora.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Texture memory calculator for Nintendo 64 textures")
# One string: separate arguments would make a list, and each line after the
# first would start with its ";".
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Vellora tells Nintendo 64 artists and homebrew developers whether a texture and its mip-maps fit in the\n"
    "RDP's 4096-byte texture memory, shows where every byte lands, and lays the texture out as the hardware\n"
    "holds it. vellora-cli counts, checks whole asset folders and converts textures for build scripts.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vellora.org/")
set(CPACK_GENERATOR DEB)
include(CPack)
