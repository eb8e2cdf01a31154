export function gruss(name) {
    return "Modul lief: Hallo " + name + ".";
}
