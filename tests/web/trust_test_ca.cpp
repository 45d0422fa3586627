// Adds the certificate of a PEM file to the ROOT store, so that WinINet in this Wine prefix
// trusts the download tests' server.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_test_ca CERTIFICATE.pem\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string pem{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    BYTE der[8192];
    DWORD size = sizeof der;
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der, &size, nullptr, nullptr) ||
        !CertAddEncodedCertificateToSystemStoreA("ROOT", der, size)) {
        std::fprintf(stderr, "cannot add the certificate of %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    return 0;
}
