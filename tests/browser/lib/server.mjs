// A small static file server on the loopback address. Pages go out without a charset, as a
// plain web server sends them, so the browser decides the encoding from the page itself.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';

const TYPES = {
    '.htm': 'text/html', '.html': 'text/html', '.css': 'text/css',
    '.js': 'text/javascript', '.gif': 'image/gif',
};

export function startServer(root) {
    const base = path.resolve(root);
    const server = http.createServer((req, res) => {
        const url = new URL(req.url, 'http://127.0.0.1');
        const file = path.resolve(base, '.' + decodeURIComponent(url.pathname));
        if (!file.startsWith(base + path.sep) || req.method !== 'GET') {
            res.writeHead(403).end();
            return;
        }
        fs.readFile(file, (err, data) => {
            if (err) {
                res.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found');
                return;
            }
            const type = TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream';
            res.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-store' }).end(data);
        });
    });
    return new Promise((resolve, reject) => {
        server.once('error', reject);
        server.listen(0, '127.0.0.1', () => {
            const { port } = server.address();
            resolve({ origin: `http://127.0.0.1:${port}`, close: () => server.close() });
        });
    });
}
