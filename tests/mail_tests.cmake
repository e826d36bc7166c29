# The mail layer and the module's mail road against a throwaway dovecot and SMTP receiver that
# the tests start themselves.
velmora_test(mail_tests host/email_test.cpp exchange/mail_channel_test.cpp support/mail_servers.cpp support/mail_servers.h)
target_link_libraries(mail_tests PRIVATE velmora_exchange)
add_dependencies(mail_tests tessaro_xades)
target_compile_definitions(mail_tests PRIVATE VELMORA_MAIL_SCRIPT="${CMAKE_SOURCE_DIR}/scripts/mail.sh"
                           VELMORA_SIGNER_PATH="$<TARGET_FILE:tessaro_xades>" VELMORA_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
