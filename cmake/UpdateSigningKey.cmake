# The keys updates are signed with. SORIEL_UPDATE_PUBLIC_KEY names the PEM files of the public
# keys a release trusts (a list: old and new key while the signing key changes); without it,
# a throw-away pair is made once in the build folder and its public half is built in. The tests always sign with that throw-away pair. Private keys stay
# outside the repository.
set(SORIEL_UPDATE_PUBLIC_KEY "" CACHE STRING "PEM files (a ;-list) of the P-256 public keys update control files may be signed with")
# The serial of the control file published with a release (tools/release.sh gives it): no
# control file at or below it counts as news, not even at the first start. Other builds have 0.
set(SORIEL_UPDATE_SERIAL_FLOOR 0 CACHE STRING "Serial of the update control file published with this build")
if(NOT SORIEL_UPDATE_SERIAL_FLOOR MATCHES "^[0-9]+$" OR SORIEL_UPDATE_SERIAL_FLOOR MATCHES "^[0-9]{17}"
   OR SORIEL_UPDATE_SERIAL_FLOOR GREATER_EQUAL 9007199254740992)
    message(FATAL_ERROR
            "SORIEL_UPDATE_SERIAL_FLOOR is a whole number below 2^53, not \"${SORIEL_UPDATE_SERIAL_FLOOR}\"")
endif()
# A release built with the throw-away key could be updated by whoever holds this build
# folder: the release packages refuse it unless asked for on purpose.
option(SORIEL_ALLOW_TEST_KEY "Let the release packages be built with the throw-away update key" OFF)
# A build with the throw-away key says so in its version resource (see resources/version.rc.in).
if(NOT SORIEL_UPDATE_PUBLIC_KEY)
    set(TEST_KEY_COMMENTS_LINE "VALUE \"Comments\", \"Test build: updates are checked against a throw-away key, not the publisher's key\"")
else()
    set(TEST_KEY_COMMENTS_LINE "")
endif()

find_program(OPENSSL_PROGRAM openssl REQUIRED)
set(UPDATE_SIGNING_DIR ${CMAKE_BINARY_DIR}/update-signing)
file(MAKE_DIRECTORY ${UPDATE_SIGNING_DIR})

function(run_openssl)
    execute_process(COMMAND ${OPENSSL_PROGRAM} ${ARGN} RESULT_VARIABLE result ERROR_VARIABLE error OUTPUT_QUIET)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "openssl ${ARGN} failed: ${error}")
    endif()
endfunction()

if(NOT EXISTS ${UPDATE_SIGNING_DIR}/private.pem)
    run_openssl(genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out ${UPDATE_SIGNING_DIR}/private.pem)
    run_openssl(pkey -in ${UPDATE_SIGNING_DIR}/private.pem -pubout -out ${UPDATE_SIGNING_DIR}/public.pem)
endif()
# tools/release.sh signs only with a private key nobody else can read, the throw-away one too.
file(CHMOD ${UPDATE_SIGNING_DIR}/private.pem PERMISSIONS OWNER_READ OWNER_WRITE)

# "0xAB, 0xCD, ..." of a hexadecimal text.
function(hex_to_initializer hex out)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " list "${hex}")
    set(${out} "${list}" PARENT_SCOPE)
endfunction()

# The raw X and Y of a P-256 public key in a PEM file (or of a private key's public half).
function(read_public_xy pem kind out)
    set(der ${UPDATE_SIGNING_DIR}/${kind}-public.der)
    if(kind STREQUAL "private")
        run_openssl(pkey -in ${pem} -pubout -outform DER -out ${der})
    else()
        run_openssl(pkey -pubin -in ${pem} -outform DER -out ${der})
    endif()
    file(READ ${der} hex HEX)
    set(prefix "3059301306072a8648ce3d020106082a8648ce3d03010703420004")
    string(LENGTH "${hex}" length)
    string(FIND "${hex}" "${prefix}" at)
    if(NOT length EQUAL 182 OR NOT at EQUAL 0)
        message(FATAL_ERROR "${pem} does not hold a P-256 key")
    endif()
    string(SUBSTRING "${hex}" 54 128 xy)
    set(${out} "${xy}" PARENT_SCOPE)
endfunction()

set(trusted_initializer "")
if(SORIEL_UPDATE_PUBLIC_KEY)
    set(number 0)
    foreach(pem IN LISTS SORIEL_UPDATE_PUBLIC_KEY)
        math(EXPR number "${number} + 1")
        # openssl would read the first key of a file and drop the others without a word: a
        # rotation written that way would leave every copy unable to check the new key's files.
        file(STRINGS ${pem} begin_lines REGEX "^-----BEGIN ")
        list(LENGTH begin_lines key_count)
        if(key_count GREATER 1)
            message(FATAL_ERROR "${pem} holds ${key_count} keys: give one key per PEM file, and for a "
                                "key rotation list the files: -DSORIEL_UPDATE_PUBLIC_KEY=\"old.pem;new.pem\"")
        endif()
        read_public_xy(${pem} "configured${number}" trusted_xy)
        hex_to_initializer("${trusted_xy}" key_initializer)
        string(APPEND trusted_initializer "PublicKeyBytes{${key_initializer}}, ")
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pem})
    endforeach()
else()
    read_public_xy(${UPDATE_SIGNING_DIR}/public.pem "public" trusted_xy)
    hex_to_initializer("${trusted_xy}" key_initializer)
    set(trusted_initializer "PublicKeyBytes{${key_initializer}}")
endif()
file(CONFIGURE OUTPUT ${UPDATE_SIGNING_DIR}/BuiltInUpdateKey.cpp CONTENT [[
#include "DetachedSignature.h"

const std::vector<PublicKeyBytes>& BuiltInUpdatePublicKeys()
{
    static const std::vector<PublicKeyBytes> keys = {@trusted_initializer@};
    return keys;
}
]] @ONLY)

# The throw-away private key as the platform imports it for signing in the tests: X, Y, d.
read_public_xy(${UPDATE_SIGNING_DIR}/private.pem "private" test_xy)
run_openssl(ec -in ${UPDATE_SIGNING_DIR}/private.pem -outform DER -out ${UPDATE_SIGNING_DIR}/private.der)
file(READ ${UPDATE_SIGNING_DIR}/private.der private_hex HEX)
string(FIND "${private_hex}" "30770201010420" at)
if(NOT at EQUAL 0)
    message(FATAL_ERROR "${UPDATE_SIGNING_DIR}/private.pem does not hold a P-256 key")
endif()
string(SUBSTRING "${private_hex}" 14 64 test_d)
hex_to_initializer("${test_xy}${test_d}" test_initializer)
file(CONFIGURE OUTPUT ${UPDATE_SIGNING_DIR}/TestSigningKey.cpp CONTENT [[
#include "UpdateSigner.h"

const std::array<unsigned char, 96> kTestSigningKey = {@test_initializer@};
]] @ONLY)
