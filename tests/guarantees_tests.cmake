# Guarantees of a declaration: the list logic, its boxes and the host's guarantee register;
# the boxes need a QApplication.
add_executable(guarantees_tests departure/declaration_guarantees_test.cpp support/widget_test_main.cpp)
target_link_libraries(guarantees_tests PRIVATE velmora_testsupport velmora_departure Qt6::Test)
gtest_discover_tests(guarantees_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ENVIRONMENT QT_QPA_PLATFORM=offscreen)
