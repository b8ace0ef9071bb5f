#include "toolkit/DomainList.h"

#include <QComboBox>
#include <QFile>
#include <QRegularExpression>

#include "toolkit/frmWizard.h"

#ifdef Q_OS_WIN
#include <lm.h>
#include <windows.h>
#endif

namespace velloran {
namespace {

void AddOnce(QStringList& names, const QString& name) {
  if (name.isEmpty()) return;
  for (const QString& known : names) {
    if (known.compare(name, Qt::CaseInsensitive) == 0) return;
  }
  names << name;
}

QString StripComment(const QString& line) {
  const qsizetype hash = line.indexOf(QRegularExpression(QStringLiteral("[#;]")));
  return (hash < 0 ? line : line.left(hash)).trimmed();
}

// "DC=corp, dc=example,dc=com" -> "corp.example.com"; "" for a base that is
// no domain (o=..., ou=... without dc parts).
QString DomainOfBase(const QString& base) {
  QStringList parts;
  for (const QString& rdn : base.split(',', Qt::SkipEmptyParts)) {
    const qsizetype equals = rdn.indexOf('=');
    if (equals < 0) continue;
    if (rdn.left(equals).trimmed().compare(QLatin1String("dc"), Qt::CaseInsensitive) != 0) continue;
    const QString value = rdn.mid(equals + 1).trimmed();
    if (!value.isEmpty()) parts << value;
  }
  return parts.join('.');
}

QString ReadText(const QString& path) {
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString Env(const char* name, const char* fallback) {
  const QString value = qEnvironmentVariable(name);
  return value.isEmpty() ? QString::fromLatin1(fallback) : value;
}

}  // namespace

QStringList DomainNamesFromConfiguration(const QString& krb5Conf, const QString& ldapConf) {
  QStringList names;

  QString defaultRealm;
  QStringList realms;
  QString section;
  int depth = 0;
  for (const QString& raw : krb5Conf.split('\n')) {
    const QString line = StripComment(raw);
    if (line.isEmpty()) continue;
    if (depth == 0 && line.startsWith('[') && line.endsWith(']')) {
      section = line.mid(1, line.size() - 2).trimmed().toLower();
      continue;
    }
    const qsizetype equals = line.indexOf('=');
    const QString key = equals < 0 ? QString() : line.left(equals).trimmed();
    const QString value = equals < 0 ? QString() : line.mid(equals + 1).trimmed();
    if (depth == 0 && section == QLatin1String("libdefaults") &&
        key.compare(QLatin1String("default_realm"), Qt::CaseInsensitive) == 0) {
      defaultRealm = value;
    }
    if (depth == 0 && section == QLatin1String("realms") && value.startsWith('{')) {
      realms << key;
    }
    depth += int(line.count('{')) - int(line.count('}'));
    if (depth < 0) depth = 0;
  }
  AddOnce(names, defaultRealm);
  for (const QString& realm : realms) AddOnce(names, realm);

  for (const QString& raw : ldapConf.split('\n')) {
    const QString line = raw.trimmed();
    if (line.startsWith('#')) continue;
    const QStringList words =
        line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words.size() >= 2 && words[0].compare(QLatin1String("BASE"), Qt::CaseInsensitive) == 0) {
      AddOnce(names, DomainOfBase(line.mid(words[0].size()).trimmed()));
    }
  }
  return names;
}

QStringList SystemDomainNames() {
#ifdef Q_OS_WIN
  // The domains and workgroups that the network browser sees, as the
  // "WinNT:" directory namespace lists them.
  QStringList names;
  SERVER_INFO_100* info = nullptr;
  DWORD read = 0, total = 0;
  if (::NetServerEnum(nullptr, 100, reinterpret_cast<LPBYTE*>(&info), MAX_PREFERRED_LENGTH, &read,
                      &total, SV_TYPE_DOMAIN_ENUM, nullptr, nullptr) == NERR_Success &&
      info) {
    for (DWORD i = 0; i < read; ++i) AddOnce(names, QString::fromWCharArray(info[i].sv100_name));
  }
  if (info) ::NetApiBufferFree(info);
  return names;
#else
  QString krb5;
  // KRB5_CONFIG may name several files, as the Kerberos library reads it.
  for (const QString& path : Env("KRB5_CONFIG", "/etc/krb5.conf").split(':', Qt::SkipEmptyParts)) {
    krb5 += ReadText(path) + '\n';
  }
  QString ldap = ReadText(Env("LDAPCONF", "/etc/ldap/ldap.conf"));
  if (const QString base = qEnvironmentVariable("LDAPBASE"); !base.isEmpty()) {
    ldap += QStringLiteral("\nBASE ") + base;
  }
  return DomainNamesFromConfiguration(krb5, ldap);
#endif
}

void FillDomainList(frmWizard& wizard) {
  auto* box = wizard.findChild<QComboBox*>(QStringLiteral("cboDomainName"));
  if (!box) return;
  // Adding items may select the first one; the document's text stays.
  const QString text = box->currentText();
  const bool blocked = box->blockSignals(true);
  box->addItems(SystemDomainNames());
  box->setEditText(text);
  box->blockSignals(blocked);
}

}  // namespace velloran
