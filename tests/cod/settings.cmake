# The COD file classes come with the converter's library.
target_link_libraries(test_cod PRIVATE qorcod)
