# The COD file classes are built into the test until the converter's
# library target exists; then the test links that library instead.
if(TARGET qorcod)
  target_link_libraries(test_cod PRIVATE qorcod)
else()
  file(GLOB QOR_COD_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/codconv/src/cod*.cpp)
  target_sources(test_cod PRIVATE ${QOR_COD_SOURCES})
  target_include_directories(test_cod PRIVATE ${CMAKE_SOURCE_DIR}/codconv/src)
endif()
