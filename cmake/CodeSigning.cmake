# Authenticode signatures of main.exe, the updater, orcoredll.dll, the installer and its
# uninstaller, made with osslsigncode. SORIEL_CODESIGN_PFX names the publisher's certificate
# with its private key (PKCS#12), SORIEL_CODESIGN_PASSWORD_FILE the file holding its password.
# Without them a build with tests signs with a throw-away self-signed certificate made once in
# the build folder, so that the tests check what a release's signing does; a build without
# tests and without a certificate signs nothing.
set(SORIEL_CODESIGN_PFX "" CACHE FILEPATH "PKCS#12 file of the Authenticode certificate and key")
set(SORIEL_CODESIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the password of SORIEL_CODESIGN_PFX")
set(SORIEL_CODESIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signatures (optional)")

set(CODESIGN_TEST_DIR ${CMAKE_BINARY_DIR}/codesign)
if(SORIEL_CODESIGN_PFX)
    if(NOT SORIEL_CODESIGN_PASSWORD_FILE)
        message(FATAL_ERROR "SORIEL_CODESIGN_PFX needs SORIEL_CODESIGN_PASSWORD_FILE, the file holding its password")
    endif()
    set(codesign_pfx ${SORIEL_CODESIGN_PFX})
    set(codesign_password_file ${SORIEL_CODESIGN_PASSWORD_FILE})
elseif(SORIEL_TESTS)
    set(codesign_pfx ${CODESIGN_TEST_DIR}/test.pfx)
    set(codesign_password_file ${CODESIGN_TEST_DIR}/password.txt)
    if(NOT EXISTS ${codesign_pfx})
        file(MAKE_DIRECTORY ${CODESIGN_TEST_DIR})
        run_openssl(rand -hex -out ${codesign_password_file} 16)
        run_openssl(req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Soriel online test build"
                    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature"
                    -keyout ${CODESIGN_TEST_DIR}/key.pem -out ${CODESIGN_TEST_DIR}/certificate.pem)
        run_openssl(pkcs12 -export -inkey ${CODESIGN_TEST_DIR}/key.pem -in ${CODESIGN_TEST_DIR}/certificate.pem
                    -out ${codesign_pfx} -passout file:${codesign_password_file})
    endif()
else()
    set(codesign_pfx "")
endif()

# The command that signs one file given after it; empty when nothing is signed.
set(CODESIGN_COMMAND "")
if(codesign_pfx)
    find_program(OSSLSIGNCODE_PROGRAM osslsigncode REQUIRED)
    set(CODESIGN_COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/sign-file.sh ${codesign_pfx} ${codesign_password_file}
        ${SORIEL_CODESIGN_TIMESTAMP_URL})
endif()

# Signs a program or library target's file once it is linked.
function(soriel_codesign target)
    if(CODESIGN_COMMAND)
        add_custom_command(TARGET ${target} POST_BUILD COMMAND ${CODESIGN_COMMAND} $<TARGET_FILE:${target}> VERBATIM)
    endif()
endfunction()
