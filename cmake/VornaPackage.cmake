# The Debian package, vorna_<version>_amd64.deb (scripts/package). The libraries the programs
# link come from dpkg-shlibdeps; the Qt plugins they load at run time are named here, since no
# tool can see them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorna)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VORNA 開発チーム")
set(CPACK_PACKAGE_CONTACT "VORNA 開発チーム <vorna@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "software estimating tool for project managers")
set(CPACK_PACKAGE_DESCRIPTION [[
VORNA helps a software project manager size, plan and price development work
before a contract is made. Projects form a tree; each project holds its
functions, sized by function points and COCOMO II, planned in hours per
development process or per assigned member, and priced from unit prices with
correction coefficients and discounts. VORNA also keeps each project's
members, expenses, contract options, deliverables and schedule, shows the
remaining hours, net profit and profit rate, and composes the quotation.

The user interface is Japanese. Data lives in an embedded SQLite database,
created on the first start, or on a PostgreSQL or SQL Server shared by a team
(vorna-dbsetup sets one up).]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# SQL drivers, the X11 platform, the SVG icon engine, Qt's Japanese texts and a Japanese font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, libqt6sql6-odbc, qt6-qpa-plugins, libqt6svg6, \
qt6-translations-l10n, fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic")
# SQL Server is reached through FreeTDS; help pages open in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tdsodbc, xdg-utils")

include(CPack)
