// Keeps the page's files so that after one visit it opens without the
// network. Each build names its own cache and replaces the one before.
"use strict";
const cacheName = "ringvoyage-@PAGE_VERSION@";
const files = ["./", "index.html", "page.js", "ringvoyage.js", "manifest.webmanifest",
               "icon-192.png", "icon-512.png"];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(cacheName)
                      .then((cache) => cache.addAll(files.map((f) => new Request(f, {cache: "reload"}))))
                      .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
                      .then((names) => Promise.all(names.filter((n) => n.startsWith("ringvoyage-") &&
                                                                        n !== cacheName)
                                                       .map((n) => caches.delete(n))))
                      .then(() => self.clients.claim()));
});

// The kept copy first: the settings in the link do not make another page.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(caches.open(cacheName)
                        .then((cache) => cache.match(event.request, {ignoreSearch: true}))
                        .then((kept) => kept || fetch(event.request)));
});
