# The mail layer against a throwaway dovecot and SMTP receiver that the tests start themselves.
velmora_test(mail_tests host/email_test.cpp)
target_compile_definitions(mail_tests PRIVATE VELMORA_MAIL_SCRIPT="${CMAKE_SOURCE_DIR}/scripts/mail.sh")
