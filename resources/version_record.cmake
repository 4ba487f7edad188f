# The program's version record. Every place that shows a version or a product name (the
# zarneth --version, zarneth-cli --version, the desktop entry, the AppStream metadata and the
# Windows resource script) is generated from these fields; debian/changelog repeats the
# version. The About box's first line keeps the dialog's own short form of the version, and
# its copyright line (and the main dialog's credit line) the short form of the copyright
# below, from the same year and holder; LICENSE and debian/copyright carry the long form.
set(ZARNETH_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, ${PROJECT_VERSION_TWEAK}")
set(ZARNETH_LANGUAGE_BLOCK "040904B0")  # U.S. English, Unicode
set(ZARNETH_FILE_DESCRIPTION "Zarneth MFC Application")
set(ZARNETH_INTERNAL_NAME "Zarneth")
set(ZARNETH_ORIGINAL_FILENAME "Zarneth.EXE")
set(ZARNETH_PRODUCT_NAME "Zarneth Application")
set(ZARNETH_COMPANY_NAME "")
set(ZARNETH_LEGAL_TRADEMARKS "")
set(ZARNETH_COPYRIGHT_YEAR 2026)
set(ZARNETH_COPYRIGHT_HOLDER "Zarneth developers")
set(ZARNETH_LEGAL_COPYRIGHT "Copyright (C) ${ZARNETH_COPYRIGHT_YEAR} the ${ZARNETH_COPYRIGHT_HOLDER}")
set(ZARNETH_SHORT_COPYRIGHT "(C) ${ZARNETH_COPYRIGHT_YEAR} ${ZARNETH_COPYRIGHT_HOLDER}")
set(ZARNETH_ABOUT_VERSION "Zarneth Version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
set(ZARNETH_RELEASE_DATE "2026-12-07")
set(ZARNETH_APP_ID "org.zarneth.Zarneth")
