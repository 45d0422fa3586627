// Adds the certificate of a PEM file to the ROOT store, so that WinINet in this Wine prefix
// trusts the download tests' authority.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_test_ca CERTIFICATE.pem\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::stringstream pem;
    pem << file.rdbuf();
    const std::string text = pem.str();
    DWORD size = 0;
    if (!CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr)) {
        std::fprintf(stderr, "no certificate in %s\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(text.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                              nullptr) ||
        !CertAddEncodedCertificateToSystemStoreA("ROOT", der.data(), size)) {
        std::fprintf(stderr, "cannot add the certificate: error %lu\n", GetLastError());
        return 1;
    }
    return 0;
}
