# Runs brisklet-snapshots into a fresh folder and checks what it wrote: every scene it lists in both
# looks and both densities, each a PNG of the right pixel size, and light and dark really different.
#   cmake -DPROGRAM=<brisklet-snapshots> -DOUT=<folder> -P CheckSnapshots.cmake
cmake_minimum_required(VERSION 3.25)

# Scenes that must be there whatever else is added: one per window page and the tray's own.
set(required
    window-not-scanned tray-panel-apps tray-panel-no-apps tray-panel-purging tray-panel-notice
    tray-panel-failed tray-icon-16 tray-icon-22 tray-icon-24 tray-icon-32 tray-icon-22-warning
    tray-icon-22-critical
    junk-not-scanned junk-scanning junk-results junk-notice junk-access-denied junk-empty-trash
    junk-confirm-clean junk-confirm-trash
    overview-not-scanned overview-scanning overview-results overview-notice overview-access-denied
    overview-empty-trash overview-confirm-clean overview-confirm-trash
    large-files-not-scanned large-files-scanning large-files-nothing-found large-files-results
    large-files-notice large-files-confirm-trash
    node-modules-not-scanned node-modules-scanning node-modules-nothing-found node-modules-results
    node-modules-notice node-modules-confirm-delete
    memory-apps memory-scrolled memory-selection memory-notice memory-purging memory-empty
    memory-confirm-force-quit memory-confirm-stop)
set(window_pages overview junk node-modules large-files memory window)

file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${PROGRAM}" --list OUTPUT_VARIABLE listed RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "--list failed: ${status}")
endif()
string(REGEX REPLACE "\n$" "" listed "${listed}")
string(REPLACE "\n" ";" scenes "${listed}")
foreach(name IN LISTS required)
  if(NOT name IN_LIST scenes)
    message(FATAL_ERROR "scene ${name} is not registered")
  endif()
endforeach()

execute_process(COMMAND "${PROGRAM}" "${OUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "brisklet-snapshots failed: ${status}")
endif()

# Width and height from the PNG header: the signature, the IHDR chunk's length and type, then both.
function(png_size file out_width out_height)
  file(READ "${file}" header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 0 16 signature)
  if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "${file} is not a PNG")
  endif()
  string(SUBSTRING "${header}" 32 8 width)
  string(SUBSTRING "${header}" 40 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  set(${out_width} ${width} PARENT_SCOPE)
  set(${out_height} ${height} PARENT_SCOPE)
endfunction()

set(count 0)
foreach(name IN LISTS scenes)
  string(REGEX MATCH "^[a-z-]+" prefix "${name}")
  set(expected "")
  foreach(page IN LISTS window_pages)
    if(name MATCHES "^${page}-")
      set(expected 1140 780)
    endif()
  endforeach()
  if(name MATCHES "^tray-icon-([0-9]+)")
    set(expected ${CMAKE_MATCH_1} ${CMAKE_MATCH_1})
  endif()
  foreach(look "" "-dark")
    png_size("${OUT}/${name}${look}.png" width1 height1)
    png_size("${OUT}/${name}${look}@2x.png" width2 height2)
    if(expected)
      list(GET expected 0 w)
      list(GET expected 1 h)
      if(NOT width1 EQUAL w OR NOT height1 EQUAL h)
        message(FATAL_ERROR "${name}${look}.png is ${width1}x${height1}, not ${w}x${h}")
      endif()
    elseif(width1 LESS 16 OR height1 LESS 16)
      message(FATAL_ERROR "${name}${look}.png is only ${width1}x${height1}")
    endif()
    math(EXPR w2 "${width1} * 2")
    math(EXPR h2 "${height1} * 2")
    if(NOT width2 EQUAL w2 OR NOT height2 EQUAL h2)
      message(FATAL_ERROR "${name}${look}@2x.png is ${width2}x${height2}, not ${w2}x${h2}")
    endif()
    math(EXPR count "${count} + 2")
  endforeach()
  foreach(density "" "@2x")
    file(SHA256 "${OUT}/${name}${density}.png" light)
    file(SHA256 "${OUT}/${name}-dark${density}.png" dark)
    if(light STREQUAL dark)
      message(FATAL_ERROR "${name}${density}.png is the same light and dark")
    endif()
  endforeach()
endforeach()

file(GLOB written "${OUT}/*.png")
list(LENGTH written files)
if(NOT files EQUAL count)
  message(FATAL_ERROR "${files} pictures written, ${count} expected")
endif()
file(REMOVE_RECURSE "${OUT}")
message(STATUS "${count} pictures checked")
