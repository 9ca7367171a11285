# The browser edition: the game and the browser layer (shell/web/) built with
# Emscripten into a static site in the build folder: index.html, the page's
# scripts, zandrek.js/.wasm/.data, the help page and the icons.

file(GLOB ZANDREK_WEB_SOURCES CONFIGURE_DEPENDS shell/web/*.cpp)
add_executable(zandrek_web ${ZANDREK_WEB_SOURCES} ${ZANDREK_PORTABLE_SEARCH})
target_link_libraries(zandrek_web zandrek_core zandrek_framebuffer)
set_target_properties(zandrek_web PROPERTIES OUTPUT_NAME zandrek SUFFIX ".js")
target_compile_options(zandrek_web PRIVATE -Os)

# The map and the sample pack are preloaded into the game's folder; they are
# never stored, so a new release's files always win.
set(ZANDREK_WEB_SAMPLE_PACK ${CMAKE_SOURCE_DIR}/assets/packs/lantern_docks.zrp)
target_link_options(zandrek_web PRIVATE
  -Os
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH -sINITIAL_MEMORY=33554432
  -sENVIRONMENT=web -sFORCE_FILESYSTEM -lidbfs.js
  "-sEXPORTED_FUNCTIONS=[_main,_malloc,_free,_web_check_pack]"
  "-sEXPORTED_RUNTIME_METHODS=[FS,IDBFS,UTF8ToString,allocateUTF8]"
  "SHELL:--preload-file ${CMAKE_BINARY_DIR}/Zandrek.map@/zandrek/Zandrek.map"
  "SHELL:--preload-file ${ZANDREK_WEB_SAMPLE_PACK}@/zandrek/lantern_docks.zrp")
set_property(TARGET zandrek_web APPEND PROPERTY LINK_DEPENDS ${CMAKE_BINARY_DIR}/Zandrek.map ${ZANDREK_WEB_SAMPLE_PACK})
add_dependencies(zandrek_web zandrek_map)

# The page: the menu made from the resource script's, the page's own files,
# the help page served beside the game, and the icons.
configure_file(shell/web/page/index.html.in ${CMAKE_BINARY_DIR}/index.html @ONLY)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/zandrek_menu.js
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/shell/web/menu_from_rc.py ${CMAKE_SOURCE_DIR}/resources/zandrek.rc
          ${CMAKE_SOURCE_DIR}/resources/resource_ids.h ${CMAKE_BINARY_DIR}/zandrek_menu.js
  DEPENDS ${CMAKE_SOURCE_DIR}/shell/web/menu_from_rc.py ${CMAKE_SOURCE_DIR}/resources/zandrek.rc
          ${CMAKE_SOURCE_DIR}/resources/resource_ids.h
  VERBATIM)
set(ZANDREK_WEB_PAGE_FILES
  ${CMAKE_SOURCE_DIR}/shell/web/page/zandrek_page.js ${CMAKE_SOURCE_DIR}/shell/web/page/zandrek.css
  ${CMAKE_SOURCE_DIR}/resources/zandhelp.html ${CMAKE_SOURCE_DIR}/resources/banner.ico
  ${CMAKE_SOURCE_DIR}/resources/zandrek.ico)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/web-page.stamp
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZANDREK_WEB_PAGE_FILES} ${CMAKE_BINARY_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/web-page.stamp
  DEPENDS ${ZANDREK_WEB_PAGE_FILES}
  VERBATIM)
add_custom_target(zandrek_web_page ALL DEPENDS ${CMAKE_BINARY_DIR}/zandrek_menu.js ${CMAKE_BINARY_DIR}/web-page.stamp)
add_dependencies(zandrek_web zandrek_web_page)

# The pack editor's page, editor.html: the editing core, the solver and the
# off-screen platform in one module, used by the page and by the worker that
# searches. It fetches the map itself, so nothing is preloaded.
file(GLOB ZANDREK_EDITOR_WEB_SOURCES CONFIGURE_DEPENDS tools/editor_web/*.cpp)
add_executable(zandrek_editor_web ${ZANDREK_EDITOR_WEB_SOURCES})
target_link_libraries(zandrek_editor_web zandrek_authoring zandrek_core zandrek_offscreen)
set_target_properties(zandrek_editor_web PROPERTIES OUTPUT_NAME zandrek_editor SUFFIX ".js")
target_compile_options(zandrek_editor_web PRIVATE -O3)
target_link_options(zandrek_editor_web PRIVATE
  -O3
  -sMODULARIZE -sEXPORT_NAME=ZandrekEditor
  -sALLOW_MEMORY_GROWTH -sINITIAL_MEMORY=33554432 -sMAXIMUM_MEMORY=1073741824
  -sENVIRONMENT=web,worker -sFORCE_FILESYSTEM
  "-sEXPORTED_RUNTIME_METHODS=[FS,ccall,cwrap,UTF8ToString,HEAPU8,HEAPU16]")
set(ZANDREK_EDITOR_PAGE_FILES
  ${CMAKE_SOURCE_DIR}/tools/editor_web/page/editor.html ${CMAKE_SOURCE_DIR}/tools/editor_web/page/editor.js
  ${CMAKE_SOURCE_DIR}/tools/editor_web/page/editor_view.js ${CMAKE_SOURCE_DIR}/tools/editor_web/page/editor_verdict.js
  ${CMAKE_SOURCE_DIR}/tools/editor_web/page/editor_worker.js ${CMAKE_SOURCE_DIR}/tools/editor_web/page/editor.css
  ${ZANDREK_WEB_SAMPLE_PACK})
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/editor-page.stamp
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZANDREK_EDITOR_PAGE_FILES} ${CMAKE_BINARY_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/editor-page.stamp
  DEPENDS ${ZANDREK_EDITOR_PAGE_FILES}
  VERBATIM)
add_custom_target(zandrek_editor_page ALL DEPENDS ${CMAKE_BINARY_DIR}/editor-page.stamp)
add_dependencies(zandrek_editor_web zandrek_editor_page zandrek_map)

# The platform contract's cases (tests/platform_contract.cpp) kept by the
# browser layer: the layer without the game's entry, in the game's own page
# with the test program in the game's place (contract.html), which
# tests/web/contract.py opens. Boxes wait on the page, so Asyncify here too.
set(ZANDREK_WEB_LAYER_SOURCES ${ZANDREK_WEB_SOURCES})
list(FILTER ZANDREK_WEB_LAYER_SOURCES EXCLUDE REGEX "main_web\\.cpp$")
add_executable(zandrek_contract_web tests/platform_contract.cpp tests/platform_contract_web.cpp
  ${ZANDREK_WEB_LAYER_SOURCES} ${ZANDREK_PORTABLE_SEARCH})
target_link_libraries(zandrek_contract_web zandrek_core zandrek_framebuffer gmock gtest)
set_target_properties(zandrek_contract_web PROPERTIES OUTPUT_NAME zandrek_contract SUFFIX ".js")
target_link_options(zandrek_contract_web PRIVATE
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH -sENVIRONMENT=web -sFORCE_FILESYSTEM
  "-sEXPORTED_RUNTIME_METHODS=[FS,UTF8ToString,allocateUTF8]")
file(READ shell/web/page/index.html.in ZANDREK_CONTRACT_PAGE)
string(REPLACE "\"zandrek.js\"" "\"zandrek_contract.js\"" ZANDREK_CONTRACT_PAGE "${ZANDREK_CONTRACT_PAGE}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/contract.html CONTENT "${ZANDREK_CONTRACT_PAGE}" @ONLY)
add_dependencies(zandrek_contract_web zandrek_web_page)
