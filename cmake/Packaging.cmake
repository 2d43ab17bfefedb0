# SPDX-License-Identifier: MIT
# The Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarifuhr)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Die Tarifuhr-Entwickler")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Die Tarifuhr-Entwickler <support@tarifuhr.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tarifuhr.example)
# The libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening the help page and the mail program; the connections people pay for;
# a Wayland session without Xwayland; the trust store the error report's
# mail server is checked against.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, network-manager, qt6-wayland, ca-certificates")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# German first, as the program speaks. CPack indents the lines and turns the
# empty one into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Online-Zeit und Kosten der Wählverbindungen / dial-up time and costs
Tarifuhr zählt im Infobereich jede Sekunde Online-Zeit, Datenmenge und
Kosten der Wählverbindungen nach dem Tarif des jeweiligen Eintrags: Preis
pro Minute, Einwahlgebühr, Zeitfenster, Abrechnungsmonat und Monatsbudget.
Eine Leiste zeigt, was ausgegeben ist und wie viel heute noch bleibt.

Tarifuhr counts, once a second and from the notification area, the online
time, traffic and costs of dial-up connections (PPPoE, mobile broadband,
Bluetooth dial-up, metered hotspots) by the tariff set up for each entry,
and shows what was spent and how much is left today.")
include(CPack)
