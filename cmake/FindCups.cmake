# Finds the CUPS libraries and defines them once, as imported targets, for
# every folder of the project:
#   Cups::cups   libcups (raster stream, options, PPD files)
#   Cups::image  libcupsimage (the raster calls of CUPS 2.2 and older live
#                there; later versions keep it as a compatibility library)
# Debian's libcups2-dev ships no pkg-config file, so the libraries are found
# by name.
if(TARGET Cups::cups AND TARGET Cups::image)
  set(Cups_FOUND TRUE)
  return()
endif()

find_path(CUPS_INCLUDE_DIR cups/raster.h)
find_library(CUPS_LIBRARY cups)
find_library(CUPS_IMAGE_LIBRARY cupsimage)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Cups REQUIRED_VARS CUPS_LIBRARY CUPS_IMAGE_LIBRARY CUPS_INCLUDE_DIR)

if(Cups_FOUND)
  add_library(Cups::cups UNKNOWN IMPORTED GLOBAL)
  set_target_properties(Cups::cups PROPERTIES IMPORTED_LOCATION ${CUPS_LIBRARY}
                                              INTERFACE_INCLUDE_DIRECTORIES ${CUPS_INCLUDE_DIR})
  add_library(Cups::image UNKNOWN IMPORTED GLOBAL)
  set_target_properties(Cups::image PROPERTIES IMPORTED_LOCATION ${CUPS_IMAGE_LIBRARY}
                                               INTERFACE_LINK_LIBRARIES Cups::cups)
endif()
