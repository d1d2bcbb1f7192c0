# `make package`: one .deb of everything the install rules place (the launcher `start` belongs
# to the installation medium and has none). Its dependencies come from the libraries the
# programs link (dpkg-shlibdeps, from dpkg-dev); Qt's platform plugins are loaded, not linked,
# so they are named by hand. The copyright, the changelog and the udev rule are in package/.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kirv)
set(CPACK_PACKAGE_VENDOR "The Kirv developers")
set(CPACK_PACKAGE_CONTACT "The Kirv developers <developers@kirv.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop software for a hand-held sound level meter")
# Each line of the description becomes a control file line behind one space: at most 79
# characters here, so that none runs past 80 there.
set(CPACK_PACKAGE_DESCRIPTION "\
Mirrors the meter's front panel live over its serial link, presses its keys,
sets its clock, records readings into data files, downloads and erases its
logger memory, and analyses, plots and prints data files. kirv-report
analyses data files in batch, kirv-monitor records a meter unattended, and
kirv-meter-sim is a virtual meter on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kirv.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
include(CPack)
