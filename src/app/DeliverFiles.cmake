# Copies FILES (paths relative to SOURCE) into TARGET, keeping their folders, unless a file of that
# name is there already: the application directory is the user's, and what is there stays.
foreach(file IN LISTS FILES)
  if(NOT EXISTS "${TARGET}/${file}")
    get_filename_component(folder "${TARGET}/${file}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    file(COPY_FILE "${SOURCE}/${file}" "${TARGET}/${file}")
    message(STATUS "delivered ${file}")
  endif()
endforeach()
