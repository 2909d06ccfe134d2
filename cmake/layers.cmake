# The layers of the program, lowest first: platform, store, core, ui, app.
# Each is a target of its own folder and links only to the layers below it.
#
# veldrana_sees(TARGET FOLDER...): the target's sources, and those of every
# target linking it, find the headers of these folders ("store/text.h"); a
# layer names only its own folder, and sees the layers below it through what
# it links. The folders are reached through links in a folder of the target's
# own in the build tree, so that an include of a layer above fails to build.
function(veldrana_sees target)
  set(view ${CMAKE_BINARY_DIR}/layers/${target})
  file(MAKE_DIRECTORY ${view})
  foreach(folder IN LISTS ARGN)
    if(NOT EXISTS ${view}/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${view})
endfunction()
