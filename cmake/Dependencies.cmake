# Everything comes from Debian's packages (scripts/install-deps).
find_package(Qt6 6.2 REQUIRED COMPONENTS Core Gui Widgets Test)
find_package(PkgConfig REQUIRED)
pkg_check_modules(SndFile REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(Sox REQUIRED IMPORTED_TARGET sox)
