# The converter's library holds the code under test besides the program.
target_link_libraries(test_codconv PRIVATE qorcod)
