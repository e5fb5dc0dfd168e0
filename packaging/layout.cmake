# Where an installed tree keeps each part, relative to the prefix. The host
# finds its plug-ins and report files from its own location with the same
# paths (app/), so an installed tree runs from wherever it is unpacked.
# The client's private shared libraries, one folder below lib/ate25400 so
# that no ldconfig run is asked for them (they are found by run path).
set(ATE_INSTALL_LIBDIR lib/ate25400/lib)
set(ATE_INSTALL_PLUGINDIR lib/ate25400/plugins)    # PKG_*.so and their .qm
set(ATE_INSTALL_REPORTDIR share/ate25400/relatorios)
set(ATE_INSTALL_SERVER_LIBDIR lib/ate25400-server) # the server's own copy of the wire library
