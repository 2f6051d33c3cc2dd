#pragma once
// Brazilian taxpayer numbers for made-up customers: CPF (people) and CNPJ
// (companies) with their check digits.
#include <QString>

namespace zov::server {

// The 11-digit CPF whose first nine digits are base (0..999999999).
QString makeCpf(qint64 base);
// The 14-digit CNPJ of a company root (8 digits) and branch number (4 digits).
QString makeCnpj(qint64 root, int branch = 1);
// The alphanumeric CNPJ (since July 2026) of 12 letters or digits.
QString makeCnpjAlfanumerico(const QString& base);
// (Checking one is the client's Ajusta_Inscricao: library/inscricao.h.)

} // namespace zov::server
