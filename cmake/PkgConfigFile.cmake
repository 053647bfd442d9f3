# Writes a pkg-config file from a template whose prefix follows the file
# itself (${pcfiledir}), so an installed tree works under whatever prefix it
# was installed to or moved to. The template uses @PC_PREFIX@, @PC_LIBDIR@
# and @PC_INCLUDEDIR@; the file is installed to ${CMAKE_INSTALL_LIBDIR}/pkgconfig
# as part of the component.
function(nexa_install_pkg_config template component)
  get_filename_component(name ${template} NAME_WLE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${name})
  if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
    # The file does not live under the prefix: only the configured one fits.
    set(PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  else()
    # "lib" gives "../..", Debian's "lib/<multiarch>" gives "../../..".
    file(RELATIVE_PATH up "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
    string(REGEX REPLACE "/$" "" up "${up}")
    set(PC_PREFIX "\${pcfiledir}/${up}")
  endif()
  foreach(kind LIBDIR INCLUDEDIR)
    if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
      set(PC_${kind} "${CMAKE_INSTALL_${kind}}")
    else()
      set(PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
    endif()
  endforeach()
  configure_file(${template} ${output} @ONLY)
  install(FILES ${output} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT ${component})
endfunction()
