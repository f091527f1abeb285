#pragma once

#include "QuorvelCore/Model/ControlType.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace Quorvel {

// What a host offers a deck editor to choose from.
struct HostCatalog {
    // One installed application; its identity is its path.
    struct App {
        QString name;
        QString path;
        std::optional<QString> bundleID;

        QString id() const { return path; }

        QJsonObject toJson() const;
        static std::optional<App> fromJson(const QJsonValue &json, QString *error = nullptr);

        friend bool operator==(const App &a, const App &b);
    };

    // One application that offers controls over the app-control protocol, as the host last saw
    // it; its identity is its app.
    struct AppControls {
        // One offered control; its identity is its id.
        struct Item {
            QString id;
            QString name;
            // The kind as the app-control protocol names it ("toggle", "button", "level", ...).
            QString kind;
            std::optional<QString> group;
            bool readOnly = false;
            std::optional<QString> text;
            std::optional<bool> on;

            // The type a deck action made from this control gets, or none when it cannot
            // become one.
            std::optional<ControlType> controlType() const;

            QJsonObject toJson() const;
            static std::optional<Item> fromJson(const QJsonValue &json, QString *error = nullptr);

            friend bool operator==(const Item &a, const Item &b);
        };

        // The offering application's identifier.
        QString app;
        QString name;
        // Whether the host is connected to that application now.
        bool isRunning = false;
        std::vector<Item> controls;

        QString id() const { return app; }

        // The first item whose id is canonically equivalent to id; an absent id finds nothing.
        std::optional<Item> item(const std::optional<QString> &id) const;

        QJsonObject toJson() const;
        static std::optional<AppControls> fromJson(const QJsonValue &json,
                                                   QString *error = nullptr);

        friend bool operator==(const AppControls &a, const AppControls &b);
    };

    QStringList shortcuts;
    std::vector<App> apps;
    // The names of the applications running now.
    QStringList runningApps;
    // Read as empty when missing or null; always written.
    std::vector<AppControls> appControls;

    // The identifier of the first installed app with this name, when it has one.
    std::optional<QString> appID(const QString &name) const;

    QJsonObject toJson() const;
    static std::optional<HostCatalog> fromJson(const QJsonValue &json, QString *error = nullptr);

    friend bool operator==(const HostCatalog &a, const HostCatalog &b);
};

// Agrees with equality: canonically equivalent texts hash alike.
size_t qHash(const HostCatalog::App &app, size_t seed = 0);

} // namespace Quorvel
