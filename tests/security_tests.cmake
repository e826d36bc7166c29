# The security computation of a goods item and the seals box; the box needs a QApplication.
add_executable(security_tests departure/security_amount_test.cpp departure/seals_test.cpp support/widget_test_main.cpp)
target_link_libraries(security_tests PRIVATE velmora_testsupport velmora_departure)
gtest_discover_tests(security_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 ENVIRONMENT QT_QPA_PLATFORM=offscreen)
