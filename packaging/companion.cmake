# The installed layout: the programs in lib/kinfolio, the commands in bin, the
# files a new card folder starts with in share/kinfolio. The card program
# takes them from where it is started (tools/run, Install), so nothing
# here moves the installation set in build/dist.
set(KINFOLIO_INSTALL_LIBDIR lib/kinfolio)
set(KINFOLIO_INSTALL_DATADIR share/kinfolio)

# kinfolio_add_companion(<target> <command> <summary>)
# A command-line companion of the card program: built into the installation
# set as <command>, installed in lib/kinfolio beside the card program, called
# as <command> from bin, and given a manual page made from its --help, whose
# NAME line is <summary>. The manual page shares the companions' exit
# statuses, files and environment (packaging/man/companion.h2m) and takes
# what is the companion's own from packaging/man/<command>.h2m, when there.
# Install copies it with the card program, and the read-me lists it with
# <summary>: adding a companion is this one call.
function(kinfolio_add_companion target command summary)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${command}
    RUNTIME_OUTPUT_DIRECTORY ${KINFOLIO_DIST_DIR})
  install(TARGETS ${target} RUNTIME DESTINATION ${KINFOLIO_INSTALL_LIBDIR})
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(CREATE_LINK ../${KINFOLIO_INSTALL_LIBDIR}/${command} \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${command}\" SYMBOLIC)")
  set_property(GLOBAL APPEND PROPERTY KINFOLIO_COMPANIONS ${command})
  set_property(GLOBAL PROPERTY KINFOLIO_COMPANION_${command} ${target} ${summary})
endfunction()
